#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes ringtone1.mp3: a classic two-burst phone ring (two tones at 400 and 450 Hz, warbled
# at 25 Hz), 0.4 s on, 0.2 s off, 0.4 s on, then 2 s of quiet, so that it loops like a phone.
# Needs sox and lame (Debian packages). Run from anywhere; writes beside this script.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rate=22050
sox -n -r $rate -c 1 -b 16 "$work/burst.wav" synth 0.4 sine 400 sine 450 \
    remix - tremolo 25 60 fade t 0.01 0.4 0.01 gain -n -3
sox -n -r $rate -c 1 -b 16 "$work/gap.wav" trim 0 0.2
sox -n -r $rate -c 1 -b 16 "$work/pause.wav" trim 0 2.0
sox "$work/burst.wav" "$work/gap.wav" "$work/burst.wav" "$work/pause.wav" "$work/ring.wav"
lame --quiet -m m -b 48 --resample 22.05 "$work/ring.wav" ringtone1.mp3
