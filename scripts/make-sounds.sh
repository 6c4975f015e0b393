#!/usr/bin/env bash
# Makes the app's sound resources (scripts/make-sounds.c) in resources/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cc -O2 -o "$build/make-sounds" "$root/scripts/make-sounds.c" -lm
"$build/make-sounds" "$root/resources"

# The audio picker's own sounds, made by ffmpeg: two pieces of theme music
# (each longer than a minute, so that a pick becomes the movie's background
# music) and four short sound effects. Their titles come from the string table.
music="$root/resources/theme_music.bundle"
effects="$root/resources/theme_effects.bundle"
mkdir -p "$music" "$effects"
make() {
    local out="$1" seconds="$2" expression="$3"
    shift 3
    ffmpeg -hide_banner -nostdin -v error -y -f lavfi -i "aevalsrc='$expression':s=44100:d=$seconds" -ac 1 "$@" "$out"
}
# A bright tune: a major arpeggio stepping up every quarter second over a soft fifth.
make "$music/theme_sunny_day.m4a" 72 \
    "0.25*sin(2*PI*(262*pow(2,(floor(mod(t*4,4))*4-floor(mod(t*4,4)/3))/12))*t)*exp(-3*mod(t,0.25))+0.08*sin(2*PI*196*t)" \
    -c:a aac -b:a 64k
# A calm tune: two slow chords that swell and fall.
make "$music/theme_quiet_evening.m4a" 66 \
    "(0.15+0.1*sin(2*PI*0.125*t))*(sin(2*PI*(220+27*floor(mod(t/4,2)))*t)+0.6*sin(2*PI*330*t))" \
    -c:a aac -b:a 64k
make "$effects/effect_pop.caf" 0.3 "0.8*sin(2*PI*(900-2400*t)*t)*exp(-18*t)" -c:a pcm_s16le
make "$effects/effect_bell.caf" 1.5 "0.5*(sin(2*PI*1320*t)+0.5*sin(2*PI*2640*t))*exp(-3*t)" -c:a pcm_s16le
make "$effects/effect_boing.caf" 0.8 "0.6*sin(2*PI*(180+120*sin(2*PI*6*t))*t)*exp(-4*t)" -c:a pcm_s16le
make "$effects/effect_whoosh.caf" 1.0 "0.4*(random(0)*2-1)*sin(PI*t)" -c:a pcm_s16le
