# Kirune Light: the demo story of Lumaro Player.
# Build:  lmtool story build demo/story/kirune.story OUTDIR
# Every other data file (pictures, faces, banks, font) is made by
# demo/build.cmake from the sources under demo/. See docs/authoring.md.

# ---------------------------------------------------------------- settings
# Pictures and faces live in subfolders of the data directory; voice banks
# are looked for in the system folder first, then in voice/.
sysdir .
pcmdir voice
evdir ev
facedir face
freq 22050
start lang

# Default speaker names (ASTARTUP.BIN): one pair for each language.
character 1 akari "アカリ"
character 2 sora "ソラ"
character 3 akari_en "Akari"
character 4 sora_en "Sora"
# Faces: character 1 (Akari) FACE0100 smiling, FACE0101 surprised;
#        character 2 (Sora)  FACE0200 calm,    FACE0201 laughing it off.
# ---------------------------------------------------------------- language
chart lang -> ja_arrive en_arrive
image E000 cut
fade in
window open
text "\c\n\n言語を選んでください／Language"
choice "日本語　" "English"
window close
branch

# ================================================================ 日本語
chart ja_arrive -> ja_direct ja_harbour
image E001 zoom
wait 30
window open
text "\c最終バスが坂の上で止まった。\n見下ろすキルネの町は、\n夕日の色に染まっている。"
text "\cソラは小さな鞄をひとつ持って、\nバスを降りた。\n五年ぶりの海の匂いは、昔のままだ。"
face akari 1
voice 101
say "？？？" "ソラ？　ほんとうにソラなの！？"
face sora 0
voice next
say sora "……アカリ？　背、のびたな。"
face akari 0
voice next
say akari "そっちこそ！\nおかえりなさい、ソラ。"
say akari "ちょうどいい日に帰ってきたね。\n今夜、岬の古い灯台が\n最後の光をともすの。"
face sora 0
say sora "最後？"
face akari 1
voice next
say akari "知らないの？　明日から自動の\n灯りに変わるんだって。\nもう灯台守はいらなくなるの。"
face akari 0
say akari "おじいちゃんがね、最後の点灯は\nわたしにやらせてくれるって。"
voice next
say akari "ねえ、ソラ。一緒に来てくれる？"
text "\c\n\n（どうしよう？）"
choice "まっすぐ灯台へ向かう" "先に港を通っていく"
branch

chart ja_direct -> ja_lighthouse
face akari hide
text "\c二人は岬へ続く細い道を歩いた。\n波の音が、少しずつ近くなる。"
face akari 0
say akari "この道、覚えてる？\n昔、よく競走したよね。"
face sora 1
say sora "いつもアカリの勝ちだったな。"
face sora hide
jump

chart ja_harbour -> ja_lighthouse
face akari hide
window close
image E002 slide-right
window open
text "\c港には、夏祭りの提灯が\n並んでいた。\n水面に赤い光がゆれている。"
face sora 0
voice 102
say sora "なつかしいな。提灯、\n昔と同じだ。"
face akari 0
say akari "毎年ちゃんと飾ってるんだよ。\nソラ、ここで迷子になったよね。"
face sora 1
say sora "あれは六つのときの話だろ……。"
face akari 0
voice next
say akari "ふふっ。ほら、日が沈んじゃう。\n急ごう！"
face akari hide
jump

chart ja_lighthouse -> ja_sky ja_sky ja_gift ja_gift ja_self ja_self
window close
image E003 slide-left
window open
text "\c岬の先に、白と赤の古い灯台が\n夜を待つように立っていた。"
face sora 0
voice 103
say sora "……小さくなったな、灯台。"
face akari 0
say akari "ソラが大きくなったんだよ。\nさ、てっぺんまで百十二段。\n遅れないでね！"
window close
face akari hide
image E004 rise
wait 30
window open
text "\c灯室は、油と真鍮の匂いがした。\n大きなレンズが、最後の夕日を\n集めて光っている。"
face akari 0
voice next
say akari "ねえ、点ける前に教えて。\n都会から何を持って帰ってきたの？"
text "\c\n\n（何を持ってきたっけ？）"
choice "星座早見盤　　　" "古いカメラ" "オルゴール" "絵はがきの束" "都会のお菓子" "なにも持ってない"
branch

chart ja_sky -> ja_light
say akari "今夜はよく晴れてるから、\nぴったりだね。あとで一緒に見よう。"
jump

chart ja_gift -> ja_light
say akari "わあ、すてき！\nもしかして、わたしに？"
face sora 1
say sora "……まあ、そんなところ。"
jump

chart ja_self -> ja_light
face sora 1
say sora "実は、自分ひとりで精一杯でさ。"
face akari 0
say akari "じゃあ、ソラ自身がおみやげだね。\nそれで十分だよ。"
jump

chart ja_light -> ja_promise ja_stay
face akari 0
voice 104
say akari "それじゃ、いくよ……。\n三、二、一……"
shake
text "\c低いうなりを上げて、\n古い歯車が回りはじめた。"
flash
face akari 1
voice next
say akari "……ついた！　ついたよ、ソラ！"
window close
face akari hide
fade out
image E005 pan-up
wait 60
window open
text "\c光の帯が、ゆっくり海をなでていく。\n見上げると、空いっぱいに\n星が広がっていた。"
voice 105
say "ラジオ" "こちらキルネ港。今夜、岬の灯台が\n最後の光をともしました。"
say "ラジオ" "長いあいだ、ありがとう。"
face sora 0
say sora "……ずっと、帰りたかったんだ。\nでも、帰る理由が見つからなくて。"
face akari 0
voice next
say akari "理由なんていらないよ。\n帰りたくなったら、帰っておいで。"
say akari "ねえ、ソラ。来年の夏は……？"
text "\c\n\n（どうしよう？）"
choice "また来年、帰ってくる" "この町に残る"
branch

chart ja_promise -> ja_end
face sora 0
voice 106
say sora "来年の夏も、その次の夏も。\n約束する。"
face akari 0
voice next
say akari "約束だよ！\n灯りをつけて、待ってるから。"
face akari hide
jump

chart ja_stay -> ja_end
face sora 0
voice 107
say sora "……ここに残るよ。\n都会の部屋は、また片づければいい。"
face akari 1
voice next
say akari "ほんとう！？"
face akari 0
say akari "じゃあ明日から、\n灯台のペンキ塗りを手伝ってね！"
face sora 1
say sora "……え？"
face sora hide
jump

chart ja_end -> fin
window close
image E005 pan-down
wait 60
fade white
image E006 swap
wait 30
fade from-white
window open
text "\c次の朝、新しい灯りは\n音もなく点けられた。"
text "\cけれどキルネの人たちは、\n古い灯台の最後の夜を、\nそして二人の姿を、\n今も覚えている。"
jump

# ================================================================ English
chart en_arrive -> en_direct en_harbour
image E001 zoom
wait 30
window open
text "\cThe last bus stopped at the top\nof the hill. Below, the town of\nKirune glowed in the setting sun."
text "\cSora stepped off with one small bag.\nFive years away, and the sea\nstill smelled the same."
face akari 1
voice 201
say "???" "Sora? Is that really you, Sora?!"
face sora 0
voice next
say sora_en "...Akari? You got taller."
face akari 0
voice next
say akari_en "Look who's talking!\nWelcome home, Sora."
say akari_en "You're just in time, you know.\nTonight the old lighthouse on the\ncape shines for the last time."
face sora 0
say sora_en "The last time?"
face akari 1
voice next
say akari_en "Didn't you hear? From tomorrow\nan automatic lamp takes over.\nNo keeper needed any more."
face akari 0
say akari_en "Grandpa says I can light it\ntonight. The very last time."
voice next
say akari_en "Hey, Sora. Will you come with me?"
text "\c\n\n(What should I do?)"
choice "Straight to the cape" "By the harbour first"
branch

chart en_direct -> en_lighthouse
face akari hide
text "\cThe two of them took the narrow path\nout along the cape. The sound of\nthe waves grew closer."
face akari 0
say akari_en "Remember this path? We used to\nrace along it all the time."
face sora 1
say sora_en "And you always won."
face sora hide
jump

chart en_harbour -> en_lighthouse
face akari hide
window close
image E002 slide-right
window open
text "\cLanterns for the summer festival\nhung along the quay, their red\nlight rocking on the water."
face sora 0
voice 202
say sora_en "Brings back memories. The lanterns\nare just like before."
face akari 0
say akari_en "We put them up every year.\nYou got lost here once, remember?"
face sora 1
say sora_en "I was six years old..."
face akari 0
voice next
say akari_en "Heh. Come on, the sun's going down.\nHurry!"
face akari hide
jump

chart en_lighthouse -> en_sky en_sky en_gift en_gift en_self en_self
window close
image E003 slide-left
window open
text "\cAt the tip of the cape stood the old\nlighthouse, white and red, as if it\nwere waiting for the night."
face sora 0
voice 203
say sora_en "...It looks smaller than I remember."
face akari 0
say akari_en "You're the one who got bigger.\nCome on, it's a hundred and twelve\nsteps to the top. Keep up!"
window close
face akari hide
image E004 rise
wait 30
window open
text "\cThe lamp room smelled of oil and\nbrass. The great lens gathered the\nlast of the sunset and shone."
face akari 0
voice next
say akari_en "Hey, tell me before we light it.\nWhat did you bring from the city?"
text "\c\n\n(What did I bring?)"
choice "A star chart  " "An old camera" "A music box" "Some postcards" "City sweets" "Nothing at all"
branch

chart en_sky -> en_light
say akari_en "Perfect! The sky is clear tonight.\nLet's look at the stars later."
jump

chart en_gift -> en_light
say akari_en "Oh, how lovely!\nIs it... for me, by any chance?"
face sora 1
say sora_en "...Something like that."
jump

chart en_self -> en_light
face sora 1
say sora_en "Honestly? Just me. That's all."
face akari 0
say akari_en "Then you're the souvenir.\nThat's more than enough."
jump

chart en_light -> en_promise en_stay
face akari 0
voice 204
say akari_en "All right. Here goes...\nThree, two, one..."
shake
text "\cWith a low groan, the old gears\nbegan to turn."
flash
face akari 1
voice next
say akari_en "...It's lit! Sora, it's lit!"
window close
face akari hide
fade out
image E005 pan-up
wait 60
window open
text "\cThe beam swept slowly over the sea.\nAbove, the whole sky was full\nof stars."
voice 205
say "Radio" "This is Kirune Harbour. Tonight\nthe lighthouse shone its last."
say "Radio" "Thank you for all these years."
face sora 0
say sora_en "...I always wanted to come back.\nI just never found a reason."
face akari 0
voice next
say akari_en "You don't need a reason.\nIf you miss it, just come back."
say akari_en "Hey, Sora. What about next summer?"
text "\c\n\n(What should I do?)"
choice "Back next summer" "Stay in Kirune"
branch

chart en_promise -> en_end
face sora 0
voice 206
say sora_en "Next summer, and the one after.\nI promise."
face akari 0
voice next
say akari_en "It's a promise!\nI'll keep the light on for you."
face akari hide
jump

chart en_stay -> en_end
face sora 0
voice 207
say sora_en "...I think I'll stay.\nThe city can wait."
face akari 1
voice next
say akari_en "Really?!"
face akari 0
say akari_en "Then tomorrow you can help me\npaint the tower!"
face sora 1
say sora_en "...Wait, what?"
face sora hide
jump

chart en_end -> fin
window close
image E005 pan-down
wait 60
fade white
image E006 swap
wait 30
fade from-white
window open
text "\cThe next morning, the new lamp\nwas switched on without a sound."
text "\cBut the people of Kirune still\nremember the last night of the old\nlight, and the two who stood\nbeside it."
jump

# ================================================================ both
# The closing card, then the story starts again at the language choice.
chart fin -> lang
window close
image E007 drop
wait 240
fade out
image remove
jump
