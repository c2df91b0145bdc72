sysdir .
pcmdir voice
rootdir data
syspcm SYS02.PCM
skip 1
freq 11025
address 0x100
max 9
character 1 a "愛"
chart first = 3 -> 3 4
  speaker "Inline name"
  speaker a
  text "one" "two\cthree\\x"
  shake 1
  fade white
  fade from-white
  wait 255
  voice next5 1 2 3 4 5
  nop
  nop8a 7
  nop8b
  nop92 9
  raw 0x82 "ab" 0
  branch 2
chart 4 -> 3
  image ABCD pan-up
  image remove
  jump
