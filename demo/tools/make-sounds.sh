#!/usr/bin/env bash
# Makes the demo story's sound sources: the interface sounds of the system
# bank (sox) and the voice clips (espeak-ng), into demo/sound/.
# Run: demo/tools/make-sounds.sh   (needs sox and espeak-ng)
# The results are committed; the build only packs them into banks.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
sys="$here/sound/sys"
voice="$here/sound/voice"
mkdir -p "$sys" "$voice"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# --- system bank: 12 clips at 11025 Hz; 1 decide, 2 cursor, 11 choice opens
tone() {  # tone OUT SECONDS FREQ VOLUME
  sox -n -r 11025 -c 1 -b 16 "$1" synth "$2" sine "$3" fade q 0.004 "$2" 0.03 vol "$4"
}
silence() { sox -n -r 11025 -c 1 -b 8 "$1" trim 0 0.02; }

for n in 00 03 04 05 06 07 08 09 10; do silence "$sys/SE$n.wav"; done
# decide: a bright two-note chime
tone "$tmp/a.wav" 0.07 1318 0.45
tone "$tmp/b.wav" 0.14 1760 0.45
sox "$tmp/a.wav" "$tmp/b.wav" -b 8 "$sys/SE01.wav"
# cursor: a short soft tick
tone "$tmp/c.wav" 0.035 1046 0.4
sox "$tmp/c.wav" -b 8 "$sys/SE02.wav"
# a choice opens: a rising three-note arpeggio
tone "$tmp/d.wav" 0.05 784 0.4
tone "$tmp/e.wav" 0.05 988 0.4
tone "$tmp/f.wav" 0.12 1318 0.4
sox "$tmp/d.wav" "$tmp/e.wav" "$tmp/f.wav" -b 8 "$sys/SE11.wav"

# --- voices: one FLAC per clip, 22050 Hz mono, silence trimmed
voice_args() {  # speaker language -> espeak-ng options
  case "$1" in
    akari) echo "-v $2+f3 -p 72 -s 150" ;;
    sora)  echo "-v $2+m3 -p 38 -s 140" ;;
    radio) echo "-v $2+m1 -p 50 -s 135" ;;
  esac
}
grep -v '^#' "$here/sound/voices.txt" | while read -r bank clip who lang words; do
  [ -n "$bank" ] || continue
  out="$voice/$bank-$(printf %02d "$clip").flac"
  # shellcheck disable=SC2046
  espeak-ng $(voice_args "$who" "$lang") -w "$tmp/v.wav" "$words"
  effects=(silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse norm -2)
  if [ "$who" = radio ]; then effects+=(highpass 400 lowpass 2800 overdrive 4 norm -3); fi
  sox "$tmp/v.wav" -r 22050 -c 1 -b 16 "$out" "${effects[@]}"
done
echo "sounds written to $here/sound"
