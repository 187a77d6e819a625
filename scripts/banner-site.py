#!/usr/bin/env python3
"""A tiny stand-in for the maker's web site on 127.0.0.1, for trying the
program out and for the end-to-end tests. Point the Wine prefix's proxy at
it (Internet Settings: ProxyEnable=1, ProxyServer=127.0.0.1:PORT) and every
request reaches it, whatever host the URL names.

  GET .../ads/<name>  the banner file (res/images/sorel-ads.gif by default)
  GET anything else   a small home page

--mode makes it misbehave: 404 and 500 answer with an error page, stall
accepts and never answers, trickle sends the banner a byte at a time.
--hostile NAME serves, in place of the banner, one of the hostile files
below (made on start), each with a 200 answer, whole or cut short as the
case says; --write-hostile DIR writes them all to DIR (as made: a close-early
case is cut only when sent) and ends.
Each request is logged to stdout as one line: METHOD URL AGENT.
"""
import argparse
import http.server
import importlib.util
import os
import socketserver
import struct
import sys
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_BANNER = os.path.join(ROOT, "res", "images", "sorel-ads.gif")
HOME_PAGE = b"<html><body><h1>Lumetra</h1><p>VaroTimer</p></body></html>\n"


# The program's cap on a downloaded banner.
DOWNLOAD_CAP = 8 * 1024 * 1024


def _banner_maker():
    spec = importlib.util.spec_from_file_location("make_banner", os.path.join(ROOT, "res", "images", "make_banner.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


MAKER = _banner_maker()


def gif_header(width, height):
    palette = b"\x1b\x3a\x5c\xf2\xf2\xf2\xff\xc8\x3c\x00\x00\x00"  # 4 entries
    loop = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    return b"GIF89a" + struct.pack("<HHBBB", width, height, 0x81, 0, 0) + palette + loop


def gif_frame(left, top, width, height, data, delay=10):
    gce = b"\x21\xf9\x04\x00" + struct.pack("<H", delay) + b"\x00\x00"
    desc = b"\x2c" + struct.pack("<HHHHB", left, top, width, height, 0)
    return gce + desc + b"\x02" + MAKER.sub_blocks(data)


def solid_frame(left, top, width, height, index=1):
    return gif_frame(left, top, width, height, MAKER.lzw(bytes([index]) * (width * height), 2))


def hostile_screen():
    return gif_header(65535, 65535) + solid_frame(0, 0, 8, 8) + b"\x3b"


def hostile_big_frames():
    head, frame = gif_header(4096, 4096), solid_frame(0, 0, 4096, 4096)
    count = (DOWNLOAD_CAP - len(head) - 1) // len(frame)
    return head + frame * count + b"\x3b"


def hostile_undecodable():
    # Code 7 first: no code of that value exists yet, so no frame decodes.
    frame = gif_frame(0, 0, 8, 8, b"\xff")
    return gif_header(16, 16) + frame * 100000 + b"\x3b"


def hostile_far_frames():
    frame = solid_frame(65000, 65000, 8, 8)
    return gif_header(237, 31) + frame * 3 + b"\x3b"


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def hostile_png(side=20000):
    # One bit a pixel, all black: 50 MB of rows that compress to some 50 KB.
    row = b"\x00" * (1 + (side + 7) // 8)
    packer = zlib.compressobj(9)
    data = b"".join(packer.compress(row * 500) for _ in range(side // 500)) + packer.flush()
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 1, 0, 0, 0, 0))
            + png_chunk(b"IDAT", data) + png_chunk(b"IEND", b""))


def hostile_jpeg(side=20000):
    # Baseline, one grey component, every block flat: one Huffman code of a
    # single 0 bit for the DC difference and one for the end of block.
    quant = b"\xff\xdb" + struct.pack(">H", 67) + b"\x00" + b"\x01" * 64
    frame = b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, side, side, 1) + b"\x01\x11\x00"
    table = bytes([1] + [0] * 15) + b"\x00"
    huffman = (b"\xff\xc4" + struct.pack(">H", 2 + 2 * (1 + len(table))) + b"\x00" + table + b"\x10" + table)
    scan = b"\xff\xda" + struct.pack(">HB", 8, 1) + b"\x01\x00" + b"\x00\x3f\x00"
    blocks = ((side + 7) // 8) ** 2
    return b"\xff\xd8" + quant + frame + huffman + scan + b"\x00" * (blocks * 2 // 8) + b"\xff\xd9"


def lzw_sub_blocks(width, height):
    return MAKER.sub_blocks(MAKER.lzw(bytes([1]) * (width * height), 2))


def lying_frames(frame):
    """Copies of frame in a 237x31 GIF: 300, as far as the download cap
    takes them; to the walker a banner well within the budget."""
    head = gif_header(237, 31)
    return head + frame * min(300, (DOWNLOAD_CAP - len(head) - 1) // len(frame)) + b"\x3b"


def lying_graphic_control():
    # The graphic control says 3 bytes: to a decoder it ends early, and its
    # 8th byte opens a 4096x4096 image whose descriptor the walker reads as
    # the start of a comment whose sub-blocks are the image's data.
    gce = b"\x21\xf9\x03\x00\x0a\x00\x00\x2c"
    comment = b"\x21\xfe\x07\x00" + struct.pack("<HHB", 4096, 4096, 0) + b"\x02" + lzw_sub_blocks(4096, 4096)
    return lying_frames(gce + comment + solid_frame(0, 0, 8, 8)[8:])


def lying_application():
    # The application extension says 3 bytes: to a decoder it ends at its
    # 7th byte and a 4096x4099 image follows; the walker takes 11 bytes of
    # identifier and finds the image's data as the extension's sub-blocks.
    gce = b"\x21\xf9\x04\x00\x0a\x00\x00\x00"
    app = (b"\x21\xff\x03VAR\x00\x2c" + struct.pack("<HHHHB", 0, 0, 4096, 0x1003, 0) + b"\x02"
           + lzw_sub_blocks(4096, 0x1003))
    return lying_frames(gce + app + solid_frame(0, 0, 8, 8)[8:])


def lying_plain_text():
    # The plain text extension says 3 bytes: to a decoder a 65535x767 image
    # follows it; the walker reads the extension, 15 bytes and a chain, as
    # the frame itself.
    text = (b"\x21\x01\x03VAR\x00\x2c" + struct.pack("<HHHHB", 0, 0, 65535, 0x02FF, 0) + b"\x02"
            + lzw_sub_blocks(65535, 0x02FF))
    return lying_frames(b"\x21\xf9\x04\x00\x0a\x00\x00\x00" + text)


def jpeg_parts(side):
    """The segments of a flat grey baseline JPEG: before the frame header,
    the frame header, and everything after it."""
    whole = hostile_jpeg(side)
    frame = whole.index(b"\xff\xc0")
    return whole[:frame], whole[frame:frame + 13], whole[frame + 13:]


def lying_jpeg():
    # FF 00 right behind the start of image: the old size check took it for
    # a marker with a length and jumped to the 8x8 frame header inside an
    # APP1 segment; a decoder discards the stuffed byte, and the first frame
    # header it meets is 8000x8000.
    start, big, rest = jpeg_parts(8000)
    small = jpeg_parts(8)[1]
    app1 = b"\xff\xe1" + struct.pack(">H", 2 + len(small)) + small
    jump = len(start) + len(big) + 4  # from behind the "marker" to the small header
    return b"\xff\xd8\xff\x00" + struct.pack(">H", jump) + start[2:] + big + app1 + rest


def good_png():
    rows = b"".join(b"\x00" + b"\x40\x80\xc0" * 237 for _ in range(31))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 237, 31, 8, 2, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(rows)) + png_chunk(b"IEND", b""))


def good_bmp():
    stride = (237 * 3 + 3) & ~3
    pixels = (b"\xc0\x80\x40" * 237 + b"\x00" * (stride - 237 * 3)) * 31
    return (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
            + struct.pack("<IiiHHIIiiII", 40, 237, 31, 1, 24, 0, len(pixels), 3780, 3780, 0, 0) + pixels)


def sample_banner():
    with open(DEFAULT_BANNER, "rb") as f:
        return f.read()


def cut(make, share=0.6):
    """The file make gives, of which the site sends the first share."""
    return lambda: make()[:int(len(make()) * share)]


def hostile_html():
    return (b"<html><head><title>Login</title></head><body><form action=\"/login\" method=\"post\">"
            b"Please log in to use this network.<input name=\"room\"></form></body></html>\n")


def hostile_cut():
    with open(DEFAULT_BANNER, "rb") as f:
        banner = f.read()
    first_image = banner.index(b"\x2c", 13 + 3 * 2 ** ((banner[10] & 7) + 1))
    return banner[:first_image + 200]


# name -> (content type, maker[, delivery]); delivery "no-length" sends no
# Content-Length, "close-early" announces the whole file's length; both
# close the connection after the bytes made.
HOSTILE = {
    "screen-65535": ("image/gif", hostile_screen),
    "frames-4096": ("image/gif", hostile_big_frames),
    "undecodable-100000": ("image/gif", hostile_undecodable),
    "frames-at-65000": ("image/gif", hostile_far_frames),
    "png-20000": ("image/png", hostile_png),
    "jpeg-20000": ("image/jpeg", hostile_jpeg),
    "html-200": ("text/html", hostile_html),
    "gif-cut": ("image/gif", hostile_cut),
    "gif-gce-size-3": ("image/gif", lying_graphic_control),
    "gif-app-size-3": ("image/gif", lying_application),
    "gif-text-size-3": ("image/gif", lying_plain_text),
    "jpeg-ff00-8000": ("image/jpeg", lying_jpeg),
    "gif-60%-no-length": ("image/gif", cut(sample_banner), "no-length"),
    "gif-60%-close-early": ("image/gif", sample_banner, "close-early"),
    "gif-99%-no-length": ("image/gif", cut(sample_banner, 0.99), "no-length"),
    "jpeg-60%-no-length": ("image/jpeg", cut(lambda: hostile_jpeg(64)), "no-length"),
    "png-60%-no-length": ("image/png", cut(good_png), "no-length"),
    "bmp-60%-no-length": ("image/bmp", cut(good_bmp), "no-length"),
}


class SiteHandler(http.server.BaseHTTPRequestHandler):
    server_version = "BannerSite/1"
    protocol_version = "HTTP/1.0"

    def log_message(self, fmt, *args):  # one line per request, on stdout
        pass

    def do_GET(self):
        print("GET %s %s" % (self.path, self.headers.get("User-Agent", "-")), flush=True)
        mode = self.server.mode
        if mode == "stall":
            while True:
                time.sleep(60)
        path = self.path.split("?", 1)[0]
        if "/ads/" not in path:
            self.answer(200, "text/html", HOME_PAGE)
            return
        if mode in ("404", "500"):
            self.answer(int(mode), "text/html", b"<html><body>error</body></html>\n")
            return
        if self.server.hostile:
            content_type, body, delivery = self.server.hostile
            if delivery == "whole":
                self.answer(200, content_type, body)
                return
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            if delivery == "close-early":
                self.send_header("Content-Length", str(len(body)))
                body = body[:int(len(body) * 0.6)]
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True
            return
        with open(self.server.banner, "rb") as f:
            body = f.read()
        if mode == "trickle":
            self.send_response(200)
            self.send_header("Content-Type", "image/gif")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            for i in range(len(body)):
                self.wfile.write(body[i:i + 1])
                self.wfile.flush()
                time.sleep(0.2)
            return
        self.answer(200, "image/gif", body)

    def answer(self, status, content_type, body):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        self.wfile.write(body)


class SiteServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description="stand-in for the maker's site on 127.0.0.1")
    parser.add_argument("--port", type=int, default=8080, help="0 picks a free port (printed first)")
    parser.add_argument("--banner", default=DEFAULT_BANNER, help="file served under /ads/")
    parser.add_argument("--mode", choices=["ok", "404", "500", "stall", "trickle"], default="ok")
    parser.add_argument("--hostile", choices=sorted(HOSTILE), help="serve this hostile file as the banner")
    parser.add_argument("--write-hostile", metavar="DIR", help="write every hostile file to DIR and end")
    args = parser.parse_args()
    if args.write_hostile:
        for name, entry in HOSTILE.items():
            with open(os.path.join(args.write_hostile, name.replace("%", "")), "wb") as f:
                f.write(entry[1]())
        return 0
    server = SiteServer(("127.0.0.1", args.port), SiteHandler)
    server.mode = args.mode
    server.banner = args.banner
    server.hostile = None
    if args.hostile:
        entry = HOSTILE[args.hostile]
        server.hostile = (entry[0], entry[1](), entry[2] if len(entry) > 2 else "whole")
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
