#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes click.wav, the "MouseClick" system sound: a 12 ms tick (a 2.5 kHz tone over a little
# noise, falling away fast), quiet enough not to startle. Needs sox (a Debian package). Run
# from anywhere; writes beside this script.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rate=22050
sox -R -n -r $rate -c 1 -b 16 "$work/tone.wav" synth 0.012 sine 2500
sox -R -n -r $rate -c 1 -b 16 "$work/noise.wav" synth 0.012 whitenoise vol 0.3
sox -R -D -m "$work/tone.wav" "$work/noise.wav" -b 16 click.wav \
    fade t 0.0005 0.012 0.011 gain -n -9
