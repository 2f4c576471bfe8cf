#!/bin/sh
# Regenerates the Matroska sample files of this folder and their mkvinfo dumps.
#
# Needs ffmpeg (with libx264, libvpx, libopus, libvorbis, libmp3lame) and mkvtoolnix
# (mkvmerge, mkvpropedit, mkvinfo). Neither is needed to build or test the project: the
# committed files are the reference, and re-running this script may give slightly different
# bytes (random UIDs, encoder versions).
#
# Usage: sh tests/data/make_samples.sh [output-dir]   (default: the folder of this script)
set -eu

OUT=${1:-$(cd "$(dirname "$0")" && pwd)}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

export LC_ALL=C.UTF-8
FF="ffmpeg -nostdin -hide_banner -loglevel error -y"
BE="-fflags +bitexact -flags +bitexact -threads 1"

# mkvmerge exits with 1 after warnings (such as a track UID taken over from a source file
# that is already in use): only 2 is an error.
MKVMERGE=run_mkvmerge
run_mkvmerge() {
  rc=0
  mkvmerge --quiet "$@" || rc=$?
  [ "$rc" -le 1 ] || exit "$rc"
}

# ---------------------------------------------------------------------------
# Fixed inputs
# ---------------------------------------------------------------------------

cat > sample.fre.srt <<'EOF'
1
00:00:00,100 --> 00:00:00,400
Bonjour !

2
00:00:00,500 --> 00:00:00,900
Deuxième ligne, avec des accents.
EOF

cat > subs.eng.srt <<'EOF'
1
00:00:00,000 --> 00:00:00,500
First subtitle.

2
00:00:00,600 --> 00:00:01,000
Second subtitle.
EOF

cat > subs.spa.ass <<'EOF'
[Script Info]
ScriptType: v4.00+
PlayResX: 384
PlayResY: 288

[V4+ Styles]
Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding
Style: Default,Arial,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,0

[Events]
Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text
Dialogue: 0,0:00:00.00,0:00:00.50,Default,,0,0,0,,Hola.
Dialogue: 0,0:00:00.60,0:00:01.00,Default,,0,0,0,,Adiós.
EOF

cat > sample.chapters.xml <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Chapters SYSTEM "matroskachapters.dtd">
<Chapters>
  <EditionEntry>
    <EditionUID>7001</EditionUID>
    <EditionFlagDefault>1</EditionFlagDefault>
    <ChapterAtom>
      <ChapterUID>8001</ChapterUID>
      <ChapterTimeStart>00:00:00.000000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>Opening</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
      <ChapterDisplay>
        <ChapterString>Anfang</ChapterString>
        <ChapterLanguage>ger</ChapterLanguage>
      </ChapterDisplay>
      <ChapterAtom>
        <ChapterUID>8011</ChapterUID>
        <ChapterTimeStart>00:00:00.200000000</ChapterTimeStart>
        <ChapterDisplay>
          <ChapterString>Opening, second part</ChapterString>
          <ChapterLanguage>eng</ChapterLanguage>
        </ChapterDisplay>
      </ChapterAtom>
    </ChapterAtom>
    <ChapterAtom>
      <ChapterUID>8002</ChapterUID>
      <ChapterTimeStart>00:00:00.400000000</ChapterTimeStart>
      <ChapterTimeEnd>00:00:00.700000000</ChapterTimeEnd>
      <ChapterDisplay>
        <ChapterString>Middle</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
    <ChapterAtom>
      <ChapterUID>12345678901234</ChapterUID>
      <ChapterTimeStart>00:00:00.700000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>Fin</ChapterString>
        <ChapterLanguage>fre</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
  </EditionEntry>
</Chapters>
EOF

cat > sample.global-tags.xml <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Tags SYSTEM "matroskatags.dtd">
<Tags>
  <Tag>
    <Targets>
      <TargetTypeValue>50</TargetTypeValue>
      <TargetType>MOVIE</TargetType>
    </Targets>
    <Simple>
      <Name>TITLE</Name>
      <String>Test pattern</String>
      <TagLanguage>eng</TagLanguage>
    </Simple>
    <Simple>
      <Name>ARTIST</Name>
      <String>Sample maker</String>
      <Simple>
        <Name>SORT_WITH</Name>
        <String>Maker, Sample</String>
      </Simple>
    </Simple>
    <Simple>
      <Name>DATE_RELEASED</Name>
      <String>2021</String>
    </Simple>
  </Tag>
</Tags>
EOF

cat > sample.track-tags.xml <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Tags SYSTEM "matroskatags.dtd">
<Tags>
  <Tag>
    <Simple>
      <Name>COMMENT</Name>
      <String>Sine wave at 440 Hz</String>
      <TagLanguage>ger</TagLanguage>
      <DefaultLanguage>0</DefaultLanguage>
    </Simple>
  </Tag>
</Tags>
EOF

# A text attachment larger than the space mkvmerge reserves at the head of a file, so that
# mkvpropedit has to append it after the clusters.
i=1
while [ $i -le 70 ]; do
  printf 'Line %03d of the notes attached to the Matroska sample file.\n' $i
  i=$((i + 1))
done > notes.txt

# ---------------------------------------------------------------------------
# Elementary inputs made with ffmpeg's lavfi sources
# ---------------------------------------------------------------------------

VSRC="-f lavfi -i testsrc=size=64x48:rate=10"
ASRC="sine=frequency=440:sample_rate"

# A tiny PNG for the attachment of sample.mkv.
$FF -f lavfi -i testsrc=size=8x8:rate=1 -frames:v 1 $BE cover.png

# MPEG-4 part 2 video, stored in Matroska by ffmpeg so that mkvmerge keeps V_MPEG4/ISO/ASP.
$FF $VSRC:duration=1 -c:v mpeg4 -q:v 20 $BE -map_metadata -1 mpeg4.mkv
# The same kind of video in AVI with the XVID FOURCC: mkvmerge keeps it in VfW mode.
$FF $VSRC:duration=0.5 -c:v mpeg4 -vtag XVID -q:v 20 $BE -map_metadata -1 xvid.avi
# H.264 without the encoder's SEI (which holds a long option string).
$FF $VSRC:duration=1 -c:v libx264 -preset ultrafast -crf 45 -bsf:v filter_units=remove_types=6 \
    $BE -map_metadata -1 h264.mkv

$FF -f lavfi -i $ASRC=22050:duration=1 -ac 1 -c:a libvorbis -q:a 0 $BE -map_metadata -1 vorbis.ogg
# FLAC in Matroska: the raw .flac file would bring an 8 KB PADDING block into CodecPrivate.
$FF -f lavfi -i $ASRC=8000:duration=0.5 -ac 1 -c:a flac -compression_level 8 $BE -map_metadata -1 flac.mka
$FF -f lavfi -i $ASRC=32000:duration=0.5 -ac 1 -c:a ac3 -b:a 32k $BE -map_metadata -1 audio.ac3
$FF -f lavfi -i $ASRC=22050:duration=1 -ac 1 -c:a libmp3lame -b:a 16k $BE -map_metadata -1 audio.mp3
$FF -f lavfi -i $ASRC=22050:duration=1 -ac 1 -c:a aac -b:a 16k $BE -map_metadata -1 aac.mka

# ---------------------------------------------------------------------------
# Helpers
# ---------------------------------------------------------------------------

# Position of the first element whose mkvinfo -v -v line matches $2 in file $1.
element_pos() {
  mkvinfo -v -v "$1" | grep -m1 -- "$2" | sed 's/.* at \([0-9]*\)$/\1/'
}

# Rewrites the DocTypeReadVersion value of the EBML header (bytes 42 85 81 xx) to 1, in place.
set_read_version_1() {
  off=$(od -An -tx1 -v -N64 "$1" | tr -d ' \n' | grep -ob '42858102' | head -n1 | cut -d: -f1)
  [ -n "$off" ] || { echo "no DocTypeReadVersion 2 in $1" >&2; exit 1; }
  printf '\001' | dd of="$1" bs=1 seek=$((off / 2 + 3)) conv=notrunc status=none
}

# ---------------------------------------------------------------------------
# 1. sample.mkv: the demo file, mkvmerge with BlockGroups (DocTypeReadVersion 1)
# ---------------------------------------------------------------------------
$MKVMERGE -o sample.mkv --engage no_simpleblocks --disable-track-statistics-tags \
  --title "Matroska sample – test pattern" \
  --chapters sample.chapters.xml --global-tags sample.global-tags.xml \
  --attachment-name cover.png --attachment-mime-type image/png \
  --attachment-description "Cover picture" --attach-file cover.png \
  --language 0:eng --track-name 0:"Test pattern" --default-track-flag 0:yes --no-track-tags mpeg4.mkv \
  --language 0:ger --track-name 0:"Tonspur für Tests" --tags 0:sample.track-tags.xml vorbis.ogg \
  --language 0:fre --track-name 0:"Sous-titres français" --sub-charset 0:UTF-8 sample.fre.srt
# A fixed multiplexing date, written in place of the one mkvmerge wrote.
mkvpropedit --quiet sample.mkv --edit info --set date=2021-06-15T12:34:56Z

# ---------------------------------------------------------------------------
# 2. audio.mka and subs.mks
# ---------------------------------------------------------------------------
$MKVMERGE -o audio.mka --no-date --engage no_simpleblocks --disable-track-statistics-tags \
  --language 0:eng --track-name 0:"FLAC sine" --no-track-tags flac.mka \
  --language 0:jpn --track-name 0:"AC-3 sine" --default-track-flag 0:no audio.ac3

# no_variable_data: fixed UIDs, muxing/writing application "no_variable_data", date 1970-01-01.
$MKVMERGE -o subs.mks --engage no_variable_data --engage no_simpleblocks \
  --disable-track-statistics-tags \
  --language 0:eng --sub-charset 0:UTF-8 subs.eng.srt \
  --language 0:spa --track-name 0:"Español (ASS)" --sub-charset 0:UTF-8 subs.spa.ass

# ---------------------------------------------------------------------------
# 3. late_meta.mkv: Chapters, Tags and Attachments after the Cluster, all in the first SeekHead
# ---------------------------------------------------------------------------
# Generated chapters larger than the space reserved for them are written by mkvmerge after
# the clusters; its track statistics tags always go there. mkvpropedit then appends the
# attachment (bigger than every Void of the head) at the end of the file.
$MKVMERGE -o late_meta.mkv --no-date --engage no_simpleblocks \
  --generate-chapters interval:20ms --generate-chapters-name-template 'Chapter <NUM>' \
  --language 0:eng mpeg4.mkv --language 0:eng audio.mp3
mkvpropedit --quiet late_meta.mkv --attachment-name notes.txt --attachment-mime-type text/plain \
  --add-attachment notes.txt

# ---------------------------------------------------------------------------
# 4. unknown_size.mkv: ffmpeg writing to a pipe (Segment of unknown size)
# ---------------------------------------------------------------------------
$FF $VSRC:duration=0.5 -f lavfi -i $ASRC=32000:duration=0.5 \
  -c:v libx264 -preset ultrafast -crf 45 -bsf:v filter_units=remove_types=6 \
  -c:a ac3 -b:a 32k -ac 1 $BE -f matroska - > ffmpeg_pipe.mkv
cp ffmpeg_pipe.mkv unknown_size.mkv
set_read_version_1 unknown_size.mkv

# ---------------------------------------------------------------------------
# 5. sample.webm
# ---------------------------------------------------------------------------
$FF $VSRC:duration=0.5 -f lavfi -i $ASRC=48000:duration=0.5 \
  -c:v libvpx-vp9 -b:v 20k -deadline good -cpu-used 8 -row-mt 0 -c:a libopus -b:a 12k -ac 1 \
  $BE sample.webm

# ---------------------------------------------------------------------------
# 6. Video for Windows and ACM tracks
# ---------------------------------------------------------------------------
$FF -f lavfi -i testsrc=size=32x32:rate=5:duration=0.4 -f lavfi -i $ASRC=8000:duration=0.4 \
  -c:v msvideo1 -c:a adpcm_ms -ac 1 $BE -map_metadata -1 vfw_acm_ffmpeg.mkv
$MKVMERGE -o vfw_acm.mkv --no-date --engage no_simpleblocks --disable-track-statistics-tags \
  --language 0:eng xvid.avi vfw_acm_ffmpeg.mkv

# ---------------------------------------------------------------------------
# 7. mkvmerge_default.mkv: mkvmerge's defaults (SimpleBlocks, DocTypeReadVersion 2)
# ---------------------------------------------------------------------------
$MKVMERGE -o mkvmerge_default.mkv --no-date --language 0:eng h264.mkv --language 0:ger aac.mka

# ---------------------------------------------------------------------------
# 9. Truncated copies of sample.mkv
# ---------------------------------------------------------------------------
cluster=$(element_pos sample.mkv '^|+ Cluster at')
cues=$(element_pos sample.mkv '^|+ Cues at')
head -c $(((cluster + cues) / 2)) sample.mkv > truncated_cluster.mkv
# Cut two bytes into the header of the audio track's CodecPrivate: the video entry is whole,
# the audio entry stops before its CodecPrivate size.
audio_priv=$(mkvinfo -v -v sample.mkv | sed -n '/Track type: audio/,$p' | grep -m1 "Codec's private data" \
  | sed 's/.* at \([0-9]*\)$/\1/')
head -c $((audio_priv + 2)) sample.mkv > truncated_tracks.mkv

# ---------------------------------------------------------------------------
# 10. hostile_text.mkv: markup and ampersands in every text a report shows
# ---------------------------------------------------------------------------
# Title, track names, chapter strings and the attachment's file name hold HTML markup, so
# that a report writer that forgets to escape file text produces broken or live HTML.
# The XML chapter file escapes the markup; mkvmerge stores it unescaped.
cat > hostile.chapters.xml <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Chapters SYSTEM "matroskachapters.dtd">
<Chapters>
  <EditionEntry>
    <EditionUID>9001</EditionUID>
    <ChapterAtom>
      <ChapterUID>9101</ChapterUID>
      <ChapterTimeStart>00:00:00.000000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>&lt;b&gt;Bold&lt;/b&gt; &amp; http://example.com/x?a=1&amp;b=2</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
    <ChapterAtom>
      <ChapterUID>9102</ChapterUID>
      <ChapterTimeStart>00:00:00.200000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>&lt;/ul&gt;&lt;/li&gt;</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
  </EditionEntry>
</Chapters>
EOF
cat > hostile.srt <<'EOF'
1
00:00:00,000 --> 00:00:00,200
Tom and Jerry.
EOF
printf 'Attachment stored under a file name with markup.\n' > hostile.txt
$FF -f lavfi -i testsrc=size=32x32:rate=10:duration=0.3 -c:v mpeg4 -q:v 20 $BE -map_metadata -1 \
    hostile_video.mkv
$FF -f lavfi -i $ASRC=32000:duration=0.3 -ac 1 -c:a ac3 -b:a 32k $BE -map_metadata -1 hostile_audio.ac3
$MKVMERGE -o hostile_text.mkv --no-date --engage no_simpleblocks \
  --title '<script>alert(1)</script>' \
  --chapters hostile.chapters.xml \
  --attachment-name '<img src=y>.txt' --attachment-mime-type text/plain --attach-file hostile.txt \
  --language 0:eng --track-name 0:'a</b>b' --default-track-flag 0:yes hostile_video.mkv \
  --language 0:eng --track-name 0:'<img src=x onerror=alert(1)>' hostile_audio.ac3 \
  --language 0:eng --track-name 0:'Tom & "Jerry" <i>' --sub-charset 0:UTF-8 hostile.srt

# ---------------------------------------------------------------------------
# 11. Files edited in place with mkvpropedit, and a date before 2001
# ---------------------------------------------------------------------------
# Text of N numbered parts, to make a name or a title grow past the room around it.
long_text() {
  i=1
  while [ $i -le "$2" ]; do
    printf '%s %03d. ' "$1" $i
    i=$((i + 1))
  done
}

$MKVMERGE -o edit_base.mkv --no-date --engage no_simpleblocks --disable-track-statistics-tags \
  --language 0:eng mpeg4.mkv --language 0:ger vorbis.ogg
$MKVMERGE -o edit_video.mkv --no-date --engage no_simpleblocks --disable-track-statistics-tags \
  --language 0:eng mpeg4.mkv

# Tracks grown past the Void after it and the one after the SeekHead: mkvpropedit writes
# them behind the Cues and Tags and points the SeekHead there.
cp edit_base.mkv tracks_moved.mkv
mkvpropedit --quiet tracks_moved.mkv --edit track:2 --set name="$(long_text 'Long audio track name, part' 50)"

# The same for the segment information, grown by a long title.
cp edit_base.mkv info_moved.mkv
mkvpropedit --quiet info_moved.mkv --edit info --set title="$(long_text 'Long title, part' 200)"

# An attachment that fills the Void after the SeekHead leaves the SeekHead no room to grow:
# mkvpropedit writes a second one behind the clusters, lists it in the first, and puts
# only the entries it adds later (Chapters) in the first. Cues and Tags stand behind the
# clusters and are listed in the second SeekHead only.
head -n 64 notes.txt > notes_short.txt
cp edit_video.mkv second_seekhead.mkv
mkvpropedit --quiet second_seekhead.mkv --attachment-name notes_short.txt --attachment-mime-type text/plain \
  --add-attachment notes_short.txt
cat > second_seekhead.chapters.xml <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Chapters SYSTEM "matroskachapters.dtd">
<Chapters>
  <EditionEntry>
    <EditionUID>9501</EditionUID>
    <ChapterAtom>
      <ChapterUID>9601</ChapterUID>
      <ChapterTimeStart>00:00:00.000000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>Added later</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
  </EditionEntry>
</Chapters>
EOF
mkvpropedit --quiet second_seekhead.mkv --chapters second_seekhead.chapters.xml

# A display width without a display height (64x48 pixels shown 96 wide).
cp edit_video.mkv display_width.mkv
mkvpropedit --quiet display_width.mkv --edit track:v1 --set display-width=96 --delete display-height

# ffmpeg stores a creation time before 2001 as a negative DateUTC (with a fraction of a second).
$FF -f lavfi -i $ASRC=8000:duration=0.2 -ac 1 -c:a pcm_s16le $BE -map_metadata -1 \
  -metadata creation_time=1999-12-31T23:59:58.250000Z -metadata title="Made on the last day of 1999" \
  date_1999.mka

# ---------------------------------------------------------------------------
# 12. missing_decoder.mkv: FFV Huffyuv video (V_MS/VFW/FOURCC "FFVH"), for which the usual
#     media framework plugins have no decoder, beside Vorbis audio, which they decode at
#     their highest rank
# ---------------------------------------------------------------------------
$FF -f lavfi -i testsrc=size=32x32:rate=5:duration=0.4 -f lavfi -i $ASRC=22050:duration=0.4 \
  -c:v ffvhuff -pix_fmt yuv420p -c:a libvorbis -q:a 0 -ac 1 $BE -map_metadata -1 missing_decoder.mkv

# ---------------------------------------------------------------------------
# 13. everything.mkv: what the JSON document reads beyond the report. mkvmerge, RV 2.
#     H.264 (pt-BR; forced, hearing-impaired and original; field order, stereo mode,
#     cropping, colour with mastering metadata), AAC (en-US; visual-impaired,
#     text-descriptions and commentary), SRT subtitles (fr-CA, zlib compression), and one
#     edition whose second chapter starts at 1200 hours (past 2^32 ms) with a 64-bit UID.
# ---------------------------------------------------------------------------
cat > everything.chapters.xml <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Chapters SYSTEM "matroskachapters.dtd">
<Chapters>
  <EditionEntry>
    <EditionUID>18446744073709551000</EditionUID>
    <ChapterAtom>
      <ChapterUID>9001</ChapterUID>
      <ChapterTimeStart>00:00:00.000000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>Start</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
    <ChapterAtom>
      <ChapterUID>17000000000000000001</ChapterUID>
      <ChapterTimeStart>1200:00:00.000000000</ChapterTimeStart>
      <ChapterTimeEnd>1200:00:01.500000000</ChapterTimeEnd>
      <ChapterDisplay>
        <ChapterString>Much later</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
  </EditionEntry>
</Chapters>
EOF
$MKVMERGE -o everything.mkv --chapters everything.chapters.xml \
  --language 0:pt-BR --forced-display-flag 0:1 --hearing-impaired-flag 0:1 --original-flag 0:1 \
  --field-order 0:9 --stereo-mode 0:1 --cropping 0:2,4,6,8 \
  --colour-matrix-coefficients 0:9 --colour-bits-per-channel 0:10 --chroma-subsample 0:1,1 \
  --colour-range 0:1 --colour-transfer-characteristics 0:16 --colour-primaries 0:9 \
  --max-content-light 0:1000 --max-frame-light 0:400 \
  --chromaticity-coordinates 0:0.68,0.32,0.265,0.69,0.15,0.06 --white-colour-coordinates 0:0.3127,0.329 \
  --max-luminance 0:1000 --min-luminance 0:0.005 h264.mkv \
  --language 0:en-US --visual-impaired-flag 0:1 --text-descriptions-flag 0:1 --commentary-flag 0:1 aac.mka \
  --language 0:fr-CA --compression 0:zlib subs.eng.srt

# ---------------------------------------------------------------------------
# Results and their mkvinfo dumps
# ---------------------------------------------------------------------------
for f in sample.mkv audio.mka subs.mks late_meta.mkv ffmpeg_pipe.mkv unknown_size.mkv sample.webm \
         vfw_acm_ffmpeg.mkv vfw_acm.mkv mkvmerge_default.mkv truncated_cluster.mkv truncated_tracks.mkv \
         hostile_text.mkv tracks_moved.mkv info_moved.mkv second_seekhead.mkv display_width.mkv \
         date_1999.mka missing_decoder.mkv everything.mkv; do
  cp "$f" "$OUT/$f"
  (cd "$OUT" && mkvinfo -v -v "$f" > "$f.mkvinfo.txt" 2>&1 || true)
done
ls -l "$OUT"
