#!/usr/bin/env python3
"""Makes the GStreamer codec database (resources/GstCodecsDB.xml) from this machine's
GStreamer registry, in the format of resources/CodecsDB.xml.

One codec entry per Debian package that brings a plugin decoding a codec stored in
Matroska; one filter per decoder of that package whose sink pads accept the caps the
Matroska demuxer gives a stream of that codec (parsers decode nothing and are left out).
The caps of Video for Windows and Audio Compression Manager tracks are those of the RIFF
library the demuxer uses: a filter lists every FOURCC and every wFormatTag whose caps it
accepts. The filter's guid is the backend's name-based class id of the factory, so the
program finds it installed.

  make-gst-codecdb.py --install     apt-get the plugin packages and the file makers first
  make-gst-codecdb.py --verify      make a small file per codec with ffmpeg (and mkvmerge
                                    for the FOURCC ones), and check that the demuxer's caps
                                    for it meet the table's (or the RIFF library's) and the
                                    codec id (FOURCC, wFormatTag) is the key
  make-gst-codecdb.py [-o FILE]     write the database (default resources/GstCodecsDB.xml)

Needs gcc, pkg-config and libgstreamer1.0-dev to build the registry reader (caps-match.c).
"""
import argparse
import functools
import json
import os
import subprocess
import sys
import tempfile
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

PACKAGES = {
    "gstreamer1.0-plugins-base": ("GStreamer Base Plugins", "https://gstreamer.freedesktop.org/modules/gst-plugins-base.html"),
    "gstreamer1.0-plugins-good": ("GStreamer Good Plugins", "https://gstreamer.freedesktop.org/modules/gst-plugins-good.html"),
    "gstreamer1.0-plugins-ugly": ("GStreamer Ugly Plugins", "https://gstreamer.freedesktop.org/modules/gst-plugins-ugly.html"),
    "gstreamer1.0-plugins-bad": ("GStreamer Bad Plugins", "https://gstreamer.freedesktop.org/modules/gst-plugins-bad.html"),
    "gstreamer1.0-libav": ("GStreamer libav Plugin", "https://gstreamer.freedesktop.org/modules/gst-libav.html"),
}
INSTALL = list(PACKAGES) + ["ffmpeg", "mkvtoolnix", "gcc", "pkg-config", "libgstreamer1.0-dev"]

# Makes a single-track file: the source and the encoder options of ffmpeg.
VIDEO = ["-f", "lavfi", "-i", "testsrc=size=64x48:rate=5", "-t", "0.4"]
VIDEO_25 = ["-f", "lavfi", "-i", "testsrc=size=64x48:rate=25", "-t", "0.2"]
VIDEO_DV = ["-f", "lavfi", "-i", "testsrc=size=720x576:rate=25", "-t", "0.08", "-pix_fmt", "yuv420p"]
VIDEO_176 = ["-f", "lavfi", "-i", "testsrc=size=176x144:rate=5", "-t", "0.4"]
AUDIO = ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "0.2"]
AUDIO_8K = ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=8000", "-t", "0.2"]
SRT = ["-i", "{srt}"]


def v(*codec):
    return VIDEO + ["-c:v", *codec]


def a(*codec, src=AUDIO):
    return src + ["-c:a", *codec]


def avi(codec, tag, src=VIDEO):
    """A Video for Windows track: ffmpeg writes an AVI, mkvmerge keeps its FOURCC."""
    return ("avi", src + ["-c:v", codec, "-vtag", tag])


# Matroska codec id (or "FOURCC:" + FOURCC for V_MS/VFW/FOURCC tracks), the caps the
# Matroska demuxer gives such a stream, and the ways to make a file that holds one (none:
# the mapping is taken as the demuxer documents it, without a file to check it on).
# Codecs the demuxer exposes only as video/x-unknown or audio/x-unknown (ALAC, FFV
# HuffYUV in 1.22) are left out: no element is offered them. Video for Windows and Audio
# Compression Manager tracks are keyed by FOURCC and wFormatTag (RIFF_FILES below).
TABLE = [
    ("V_MPEG4/ISO/AVC", "video/x-h264", [v("libx264")]),
    ("V_MPEGH/ISO/HEVC", "video/x-h265", [v("libx265")]),
    ("V_VP8", "video/x-vp8", [v("libvpx")]),
    ("V_VP9", "video/x-vp9", [v("libvpx-vp9")]),
    ("V_AV1", "video/x-av1", [v("libaom-av1", "-cpu-used", "8")]),
    ("V_THEORA", "video/x-theora", [v("libtheora")]),
    ("V_MPEG1", "video/mpeg, mpegversion=1, systemstream=false", [VIDEO_25 + ["-c:v", "mpeg1video"]]),
    ("V_MPEG2", "video/mpeg, mpegversion=2, systemstream=false", [v("mpeg2video")]),
    ("V_MPEG4/ISO/ASP", "video/mpeg, mpegversion=4, systemstream=false", [v("mpeg4")]),
    ("V_MPEG4/ISO/SP", "video/mpeg, mpegversion=4, systemstream=false", []),
    ("V_MPEG4/ISO/AP", "video/mpeg, mpegversion=4, systemstream=false", []),
    ("V_MPEG4/MS/V3", "video/x-divx, divxversion=3", []),
    ("V_MJPEG", "image/jpeg", [v("mjpeg")]),
    ("V_PRORES", "video/x-prores", [v("prores")]),
    ("V_UNCOMPRESSED", "video/x-raw", []),
    ("V_REAL/RV10", "video/x-pn-realvideo, rmversion=1", []),
    ("V_REAL/RV20", "video/x-pn-realvideo, rmversion=2", []),
    ("V_REAL/RV30", "video/x-pn-realvideo, rmversion=3", []),
    ("V_REAL/RV40", "video/x-pn-realvideo, rmversion=4", []),
    ("A_AAC", "audio/mpeg, mpegversion=4", [a("aac")]),
    ("A_AAC/MPEG4/LC", "audio/mpeg, mpegversion=4", []),
    ("A_AAC/MPEG4/LC/SBR", "audio/mpeg, mpegversion=4", []),
    ("A_AAC/MPEG4/MAIN", "audio/mpeg, mpegversion=4", []),
    ("A_AAC/MPEG2/LC", "audio/mpeg, mpegversion=2", []),
    ("A_AAC/MPEG2/MAIN", "audio/mpeg, mpegversion=2", []),
    ("A_AC3", "audio/x-ac3", [a("ac3")]),
    ("A_EAC3", "audio/x-eac3", [a("eac3")]),
    ("A_DTS", "audio/x-dts", [a("dca", "-strict", "-2")]),
    ("A_TRUEHD", "audio/x-true-hd", [a("truehd", "-strict", "-2")]),
    ("A_MPEG/L1", "audio/mpeg, mpegversion=1, layer=1", []),
    ("A_MPEG/L2", "audio/mpeg, mpegversion=1, layer=2", [a("mp2")]),
    ("A_MPEG/L3", "audio/mpeg, mpegversion=1, layer=3", [a("libmp3lame")]),
    ("A_VORBIS", "audio/x-vorbis", [a("libvorbis")]),
    ("A_OPUS", "audio/x-opus", [a("libopus")]),
    ("A_FLAC", "audio/x-flac", [a("flac")]),
    ("A_TTA1", "audio/x-tta", [a("tta")]),
    ("A_WAVPACK4", "audio/x-wavpack", [a("wavpack")]),
    ("A_PCM/INT/LIT", "audio/x-raw", [a("pcm_s16le")]),
    ("A_PCM/INT/BIG", "audio/x-raw", [a("pcm_s16be")]),
    ("A_PCM/FLOAT/IEEE", "audio/x-raw", [a("pcm_f32le")]),
    ("A_REAL/14_4", "audio/x-pn-realaudio, raversion=1", []),
    ("A_REAL/28_8", "audio/x-pn-realaudio, raversion=2", []),
    ("A_REAL/COOK", "audio/x-pn-realaudio, raversion=8", []),
    ("A_REAL/SIPR", "audio/x-sipro", []),
    ("A_REAL/ATRC", "audio/x-vnd.sony.atrac3", []),
    ("S_TEXT/UTF8", "text/x-raw, format=pango-markup", [SRT + ["-c:s", "srt"]]),
    ("S_TEXT/ASS", "application/x-ass", [SRT + ["-c:s", "ass"]]),
    ("S_TEXT/SSA", "application/x-ssa", []),
    ("S_ASS", "application/x-ass", []),
    ("S_SSA", "application/x-ssa", []),
    ("S_VOBSUB", "subpicture/x-dvd", []),
    ("S_HDMV/PGS", "subpicture/x-pgs", []),
    ("S_DVBSUB", "subpicture/x-dvb", []),
    ("S_KATE", "subtitle/x-kate", []),
]

# Files for the keys whose caps come from the RIFF library (caps-match.c), as the demuxer
# uses it for Video for Windows and Audio Compression Manager tracks: --verify checks the
# library's caps against the demuxer's for these.
RIFF_FILES = [
    ("FOURCC:XVID", [avi("libxvid", "XVID")]),
    ("FOURCC:DIVX", [avi("mpeg4", "DIVX")]),
    ("FOURCC:DX50", [avi("mpeg4", "DX50")]),
    ("FOURCC:FMP4", [avi("mpeg4", "FMP4")]),
    ("FOURCC:DIV3", [avi("msmpeg4", "DIV3")]),
    ("FOURCC:MP43", [avi("msmpeg4", "MP43")]),
    ("FOURCC:MP42", [avi("msmpeg4v2", "MP42")]),
    ("FOURCC:MJPG", [avi("mjpeg", "MJPG")]),
    ("FOURCC:HFYU", [avi("huffyuv", "HFYU")]),
    ("FOURCC:FFV1", [avi("ffv1", "FFV1")]),
    ("FOURCC:CRAM", [avi("msvideo1", "CRAM")]),
    ("FOURCC:MSVC", [avi("msvideo1", "MSVC")]),
    ("FOURCC:cvid", [avi("cinepak", "cvid")]),
    ("FOURCC:CVID", [avi("cinepak", "CVID")]),
    ("FOURCC:WMV1", [avi("wmv1", "WMV1")]),
    ("FOURCC:WMV2", [avi("wmv2", "WMV2")]),
    ("FOURCC:FLV1", [avi("flv", "FLV1")]),
    ("FOURCC:dvsd", [avi("dvvideo", "dvsd", src=VIDEO_DV)]),
    ("FOURCC:H263", [avi("h263", "H263", src=VIDEO_176)]),
    ("FOURCC:ZMBV", [avi("zmbv", "ZMBV")]),
    ("TAG:0x0002", [a("adpcm_ms")]),
    ("TAG:0x0011", [a("adpcm_ima_wav")]),
    ("TAG:0x0006", [a("pcm_alaw", src=AUDIO_8K)]),
    ("TAG:0x0007", [a("pcm_mulaw", src=AUDIO_8K)]),
    ("TAG:0x0031", [a("libgsm_ms", src=AUDIO_8K)]),
    ("TAG:0x0160", [a("wmav1")]),
    ("TAG:0x0161", [a("wmav2")]),
]


def run(args, **kw):
    return subprocess.run(args, check=True, text=True, capture_output=True, **kw).stdout


def build_caps_match(work):
    exe = os.path.join(work, "caps-match")
    flags = run(["pkg-config", "--cflags", "--libs", "gstreamer-1.0", "gstreamer-riff-1.0"]).split()
    run(["gcc", "-O1", "-o", exe, os.path.join(HERE, "caps-match.c")] + flags)
    return exe


def make_file(work, key, n, recipe):
    name = os.path.join(work, "%s-%d" % (key.replace("/", "_").replace(":", "_"), n))
    srt = name + ".srt"
    with open(srt, "w") as f:
        f.write("1\n00:00:00,000 --> 00:00:00,300\nHello\n")
    if isinstance(recipe, tuple):  # through an AVI file
        run(["ffmpeg", "-v", "error", "-y"] + recipe[1] + [name + ".avi"])
        subprocess.run(["mkvmerge", "-q", "-o", name + ".mkv", name + ".avi"], check=False)
    else:
        run(["ffmpeg", "-v", "error", "-y"] + [x.replace("{srt}", srt) for x in recipe] + [name + ".mkv"])
    return name + ".mkv"


def codec_key(path):
    """The key of the file's first track as mkvmerge reads it."""
    track = json.loads(run(["mkvmerge", "-J", path]))["tracks"][0]["properties"]
    codec_id = track["codec_id"]
    private = bytes.fromhex(track.get("codec_private_data", ""))
    if codec_id == "A_MS/ACM":
        return "TAG:0x%04X" % (private[0] | private[1] << 8)
    if codec_id != "V_MS/VFW/FOURCC":
        return codec_id
    return "FOURCC:" + private[16:20].decode("latin-1")


def demuxer_caps(path):
    out = subprocess.run(["gst-launch-1.0", "-v", "filesrc", "location=" + path, "!", "matroskademux", "!",
                          "fakesink"], text=True, capture_output=True, timeout=60).stdout
    for line in out.splitlines():
        # The sink is linked to the demuxer's pad directly: its caps are the pad's.
        if "GstFakeSink" in line and ": caps = " in line:
            return line.split(": caps = ", 1)[1]
    return None


def riff_caps(caps_match):
    """The caps the RIFF library gives each FOURCC and wFormatTag key."""
    return dict(line.split("\t", 1) for line in run([caps_match, "--riff"]).splitlines())


def verify(work, caps_match):
    checks, failures = [], []
    riff = riff_caps(caps_match)
    rows = TABLE + [(key, riff.get(key, "unknown/x-none"), recipes) for key, recipes in RIFF_FILES]
    for key, caps, recipes in rows:
        for n, recipe in enumerate(recipes):
            try:
                path = make_file(work, key, n, recipe)
                found = codec_key(path)
            except (subprocess.CalledProcessError, KeyError, IndexError, ValueError) as e:
                failures.append("%s: the file could not be made or read (%s)" % (key, e))
                continue
            if found != key:
                failures.append("%s: the file holds %s" % (key, found))
                continue
            got = demuxer_caps(path)
            if not got:
                failures.append("%s: the demuxer gave no caps" % key)
                continue
            checks.append("%s\t%s\t%s" % (key, caps, got.replace("\t", " ")))
    mismatched = subprocess.run([caps_match, "--check"], input="\n".join(checks) + "\n", text=True,
                                capture_output=True).stdout.split()
    failures += ["%s: the demuxer's caps do not meet the table's" % k for k in mismatched]
    print("verified %d files" % (len(checks) - len(mismatched)))
    for f in failures:
        print("FAILED " + f)
    return not failures


@functools.lru_cache(maxsize=None)
def package_of(path):
    for candidate in (path, path.replace("/usr/lib/", "/lib/", 1), path.replace("/lib/", "/usr/lib/", 1)):
        r = subprocess.run(["dpkg-query", "-S", candidate], text=True, capture_output=True)
        if r.returncode == 0:
            return r.stdout.split(":", 1)[0]
    return None


def clsid(factory):
    return "{%s}" % str(uuid.uuid5(uuid.NAMESPACE_URL, "gstreamer-element:" + factory)).upper()


def four_numbers(version):
    parts = version.split(".")[:4]
    return ".".join(parts + ["0"] * (4 - len(parts)))


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def generate(caps_match):
    table = "".join("%s\t%s\n" % (key, caps) for key, caps, _ in TABLE)
    packages = {}
    for line in run([caps_match], input=table).splitlines():
        factory, longname, klass, rank, plugin, version, keys = line.split("\t")
        keys = keys.split("|")
        if int(rank) == 0:  # never chosen by the framework's automatic graph
            continue
        package = package_of(plugin) if plugin else None
        if not package:
            continue
        packages.setdefault(package, []).append((-int(rank), factory, longname, version, keys))
    order = [p for p in PACKAGES if p in packages] + sorted(p for p in packages if p not in PACKAGES)
    lines = ['<?xml version="1.0"?>', '<codecdb major-version="1" minor-version="0">', "\t<codecs>"]
    for n, package in enumerate(order, 1):
        name, url = PACKAGES.get(package, (package, "https://gstreamer.freedesktop.org/"))
        filters = sorted(packages[package])
        kinds = {"V" if k.startswith("FOURCC:") else "A" if k.startswith("TAG:") else k[0] for f in filters for k in f[4]}
        kind = {"V": "video", "A": "audio", "S": "subtitle"}[kinds.pop()] if len(kinds) == 1 else "multi"
        lines += ['\t\t<codec id="%d">' % n, "\t\t\t<name>%s</name>" % escape(name), "\t\t\t<type>%s</type>" % kind,
                  "\t\t\t<url>%s</url>" % escape(url),
                  "\t\t\t<installcomments>Debian/Ubuntu package %s</installcomments>" % package, "\t\t\t<filters>"]
        for _, factory, longname, version, keys in filters:
            fourccs = [k[7:] for k in keys if k.startswith("FOURCC:")]
            tags = [k[4:] for k in keys if k.startswith("TAG:")]
            ids = [k for k in keys if not k.startswith(("FOURCC:", "TAG:"))] + (["V_MS/VFW/FOURCC"] if fourccs else []) + (
                ["A_MS/ACM"] if tags else [])
            lines.append('\t\t\t\t<filter guid="%s" version="%s">' % (clsid(factory), four_numbers(version)))
            lines.append("\t\t\t\t\t<name>%s</name>" % escape(longname))
            for tag, child, values in (("fourccs", "fourcc", fourccs), ("matroskaids", "matroskaid", ids),
                                       ("wFormatTags", "wFormatTag", tags)):
                if values:
                    lines.append("\t\t\t\t\t<%s>" % tag)
                    lines += ["\t\t\t\t\t\t<%s>%s</%s>" % (child, escape(x), child) for x in values]
                    lines.append("\t\t\t\t\t</%s>" % tag)
            lines.append("\t\t\t\t</filter>")
        lines += ["\t\t\t</filters>", "\t\t</codec>"]
    lines += ["\t</codecs>", "</codecdb>"]
    return "\r\n".join(lines) + "\r\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--install", action="store_true")
    parser.add_argument("--verify", action="store_true")
    parser.add_argument("-o", "--output", default=os.path.join(ROOT, "resources", "GstCodecsDB.xml"))
    args = parser.parse_args()
    if args.install:
        subprocess.run(["apt-get", "install", "-y", "--no-install-recommends"] + INSTALL, check=True)
    with tempfile.TemporaryDirectory() as work:
        caps_match = build_caps_match(work)
        if args.verify:
            return 0 if verify(work, caps_match) else 1
        with open(args.output, "w", newline="") as f:
            f.write(generate(caps_match))
    return 0


if __name__ == "__main__":
    sys.exit(main())
