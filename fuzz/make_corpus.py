#!/usr/bin/env python3
"""Writes the seed inputs of fuzz/corpus/<target>/ in the input layout each target reads
(fuzz_input.h: bytes, little-endian numbers, texts with a length byte, or 0xFF and two bytes)."""
import os
import struct
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
corpus = os.path.join(root, "fuzz", "corpus")


def text(b):
    if isinstance(b, str):
        b = b.encode("cp1251")
    return (bytes([len(b)]) if len(b) < 0xFF else b"\xff" + struct.pack("<H", len(b))) + b


def data(name):
    with open(os.path.join(root, "data", name), "rb") as f:
        return f.read()


def code(name, value):
    return name.encode().ljust(32, b"\0") + struct.pack("<q", value)


def func(cmd, mode, keys):
    return cmd.encode().ljust(26, b"\0") + struct.pack("<h", mode) + keys.encode().ljust(76, b"\0")


def step(name, n, count, kind, *params):
    p = [x.encode() for x in params] + [b""] * (4 - len(params))
    return (name.encode().ljust(26, b"\0") + struct.pack("<hhh", n, count, kind) +
            b"".join(x.ljust(25, b"\0") for x in p))


def biphase(value):
    top = value.bit_length() - 1
    out, bit = [], 1
    for i in range(top - 1, -1, -1):
        b = value >> i & 1
        if b == bit:
            out += [10, 10]
        else:
            out.append(20)
            bit = b
    return bytes(out)


def seeds():
    s = {}
    # Application name, the eight files, flags, then grid edits (count, row, column, text).
    s["record_files"] = {
        "player": text("Player") + text(data("Bin/defcode.bin")) + text(b"") +
        text(data("Bin/defappl.bin")) + text(b"") + text(data("Bin/defcmdPlayer.bin")) +
        text(b"") + text(data("Bin/deffuncPlayer.bin")) + text(b"") + bytes([0x2B]) +
        bytes([1, 1, 0]) + text("New") + bytes([1, 2, 2]) + text('"Play"'),
        "system_user_files": text("System") + text(data("Bin/defcode.bin")) +
        text(code("Play", -1) + code("Extra", 77)) + text(data("Bin/defappl.bin")) +
        text(b"") + text(data("Bin/defcmdSystem.bin")) +
        text(step("Mine", 1, 1, 1, "hello")) + text(data("Bin/deffuncSystem.bin")) +
        text(func("Mine", 4, '"Up"+"Down"')) + bytes([0x7F]),
        "cut_records": text("System") + text(data("Bin/defcode.bin")[:57]) + text(b"") +
        text(data("Bin/defappl.bin")[:200]) + text(b"") + text(step("Two", 1, 5, 7, "13")) +
        text(b"") + text(b"") + text(b"") + bytes([0x50]),
    }
    # config.ini, the language file, profile calls (op, section, key, value, size), keywords
    # flag, then a language lookup.
    lang = data("LANG/Rus.ini")[:1200]
    s["profile_language"] = {
        "shipped": text(data("config.ini")) + text(lang) + bytes([3]) +
        bytes([0]) + text("Interface") + text("language") + text("x") + bytes([40]) + bytes([0]) +
        bytes([1]) + text("Tuning") + text("passed") + text("1") + bytes([0]) + bytes([0]) +
        bytes([3]) + text("") + text("") + text("") + bytes([17]) + bytes([1]) +
        bytes([0x0F]) + text("Msg") + text("err_nodll"),
        "layout": text("[FInfo]\r\nTop=10\r\nLeft=-5\r\nColor=0x00FF00\r\n[FTime]\r\nWidth=abc\r\n") +
        text("[Menu]\r\nNExit=Quit\r\nNSetup=\r\n") + bytes([1]) + bytes([4]) + text("FBar") +
        text("Top") + text("7") + bytes([0]) + bytes([0]) + bytes([0]) + text("Menu") + text("NExit"),
    }
    # Group, playlist, the five files, a playlist kind.
    s["favourites"] = {
        "shipped": text("Audio") + text("Rock") + text(data("Bin/favoritAudio.bin")) +
        text("Rock\r\nJazz\r\n") + text("Films\r\n") + text("C:\\Music\\one.mp3\r\n") +
        text("C:\\Video\\one.avi\r\n") + b"\x02\x00",
        "odd_lines": text("Video") + text("Jazz") + text(b"one\rtwo\n\nthree\r\n\r\nlast") +
        text(b"\r\n") + text(b"") + text(b"no end") + text(b"\x00inside\r\n") + b"\xff\x7f",
    }
    # Durations, then the device's answers: open (not 0xFF), per request how, count, bytes;
    # the export calls come first (count, then each export and its arguments).
    header = bytes([0, 8]) + bytes([4, 7, 0, 0, 0, 0, 0, 0])
    chunk = bytes([0, 8]) + bytes([10, 10, 20, 20, 0, 0, 0, 0])
    ack = bytes([0, 1, 0])
    read = bytes([0]) + header + bytes([0]) + chunk + bytes([0]) + ack
    s["receiver_reply"] = {
        "one_code": text(biphase(0x1A5)) + bytes([1, 0, 255 - 0]) + read + bytes([1]) + read,
        "ports_and_serial": text(bytes([10, 20, 10])) + bytes([5, 6, 0x33]) +
        bytes([0, 8, 0x55, 0, 0, 0, 0, 0, 0, 0]) + bytes([3]) + bytes([0, 3, 0x41, 1, 2]) +
        bytes([1]) + bytes([0, 1, 0x0C]) + bytes([2]) + struct.pack("<I", 9600) +
        bytes([0, 1, 0x0C]) + bytes([0, 1, 0x0C]) + bytes([0xFF]),
    }
    # Steps: 0-2 a request (code pick, input, output length), 3 allocation failure,
    # 4 lower failure, 5 receiver fault, 6 code received, 7 iso packets, 8 removal, 9 replug.
    iso = struct.pack("<IIIII", 3, 16, 8, 2, 2)
    s["driver_ioctl"] = {
        "receiver_commands": bytes([6, 4, 0]) + text(bytes([10, 10, 20, 20])) +
        bytes([0, 1]) + text(bytes([2, 0, 0])) + struct.pack("<H", 8) +
        bytes([0, 1]) + text(bytes([2, 3, 0])) + struct.pack("<H", 8) +
        bytes([0, 1]) + text(bytes([1, 0, 0])) + struct.pack("<H", 8) +
        bytes([0, 0]) + text(bytes([6, 0, 0])) + struct.pack("<H", 8),
        "general": bytes([0, 2]) + text(b"") + struct.pack("<H", 256) +
        bytes([0, 3]) + text(b"") + struct.pack("<H", 18) +
        bytes([0, 4]) + text(b"") + struct.pack("<H", 64) +
        bytes([0, 12]) + text(struct.pack("<I", 2)) + struct.pack("<H", 64) +
        bytes([0, 5]) + text(struct.pack("<BBHHHBB", 6, 0, 0, 0, 8, 1, 0)) + struct.pack("<H", 8) +
        bytes([0, 13]) + text(struct.pack("<I", 0)) + struct.pack("<H", 16) +
        bytes([0, 20]) + text(struct.pack("<H", 0x10) + b"abcd") + struct.pack("<H", 0),
        "stream_and_removal": bytes([7, 2]) + struct.pack("<H", 16) + bytes([1, 9]) +
        struct.pack("<H", 8) + bytes([1, 3]) + bytes([0, 22]) + text(iso) + struct.pack("<H", 0) +
        bytes([0, 24]) + text(b"") + struct.pack("<H", 64) + bytes([0, 18]) + text(iso) +
        struct.pack("<H", 128) + bytes([8]) + bytes([0, 1]) + text(bytes([6, 0, 0])) +
        struct.pack("<H", 8) + bytes([9]) + bytes([3, 2]) + bytes([0, 2]) + text(b"") +
        struct.pack("<H", 256),
    }
    # The last button's name (empty: "D"), showcmdtext, bindings of System then Player (count;
    # mode, keys, shape, steps), actions.
    def steps(*kinds):
        out = b""
        for kind, params in kinds:
            out += bytes([kind + 1]) + b"".join(text(p) for p in (list(params) + [""] * 4)[:4])
        return out
    s["engine"] = {
        "text_and_keys": text("") + bytes([1]) + bytes([2]) + bytes([4, 0x00, 1]) +
        steps((1, ["Hello", "txtbuf"]), (7, ["13", "0"])) + bytes([4, 0x05, 0]) +
        steps((9, ["+", "7"])) + bytes([0]) + bytes([0, 8, 3, 3, 0x20]),
        "lists_and_input": text("") + bytes([0]) + bytes([3]) + bytes([4, 0x00, 1]) +
        steps((17, ["0"]), (1, ["chosen"])) + bytes([4, 0x04, 0]) + steps((21, ["1"])) +
        bytes([4, 0x08, 0]) + steps((20, [])) + bytes([0]) +
        bytes([0, 4, 1, 4, 0, 8, 3, 1, 16]) + bytes([5, ord("5"), 5, ord("0"), 5, 0]) +
        bytes([3, 4, 24, 4, 2, 0]),
        "volume_timer_player": text("Play+Stop") + bytes([0]) + bytes([1]) + bytes([4, 0x00, 2]) +
        steps((22, ["Volume +", "10"]), (13, ["1"]), (2, ["bar", "50"])) + bytes([2]) +
        bytes([4, 0x00, 0]) + steps((0, ["C:\\Apps\\Player.exe"])) + bytes([4, 0x01, 0]) +
        steps((11, ["0"])) + bytes([6, 1, 0, 3, 10, 8, 1, 0, 3, 50, 7, 1]),
    }
    return s


for target, inputs in seeds().items():
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    for name, content in inputs.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)
print("seeds written to", corpus, file=sys.stderr)
