#!/usr/bin/env bash
# Makes the files of the GStreamer verdict tests (needs ffmpeg).
set -euo pipefail
cd "$(dirname "$0")"
# TTA (which libav's decoder refuses in Matroska), ALAC (which the demuxer does not know) and 32-bit float PCM.
ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.2 -map 0 -map 0 -map 0 \
  -c:a:0 tta -c:a:1 alac -c:a:2 pcm_f32le ff_a_tta_alac_f32.mka
