# Two friends at the harbour.
character 1 aiko "Aiko"
character 2 ken "Ken"
evdir "ev/"
facedir face
start harbour

chart harbour -> stay leave
  image E001
  window open
  face aiko 0
  voice 012
  say aiko "Nice sunset.\nStay a little?"
  voice next
  choice "stay" "go home"
  branch

chart stay -> home
  say ken "Just a bit."
  face aiko hide
  image E002 drop
  jump

chart leave -> home
  say ken "Let's go."
  fade out
  fade in
  jump

chart home
  window close
  flash
