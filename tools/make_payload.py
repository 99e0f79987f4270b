#!/usr/bin/env python3
"""Regenerates the installer's payload files under install/payload/ from their sources in
install/payload/src/, and checks that each has the length the installer carries it with.

    tools/make_payload.py            rebuild every file and check the lengths
    tools/make_payload.py --check    check the committed files against their sources
                                     (nothing is written)

The normal build embeds the committed files and never runs this script. It needs chmcmd
(fp-utils), ImageMagick's convert and setarch (util-linux); the check needs convert and
libchm's extract_chmLib instead of chmcmd; everything else is Python's standard library.

chmcmd's output is not the same from one machine to another: on the same sources it gives
files of the same length whose bytes differ. The check therefore compares byte for byte
only what the script makes itself (library, resident, examples, bitmaps, icon), and checks
the help files for what they must be: their length, the size in their header, their title,
and every page, the table of contents and the index read back by a CHM reader with the
text of its source. Rebuilding on one machine stays deterministic: chmcmd's time stamps
are overwritten with a fixed value, and it runs without address-space randomisation,
which otherwise leaks into one of its index streams.
"""

import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PAYLOAD = os.path.join(ROOT, "install", "payload")
SRC = os.path.join(PAYLOAD, "src")
CONVERT = "/usr/bin/convert"

# File name -> length the installer expects.
LENGTHS = {
    "help_fr.chm": 31542,
    "help_en.chm": 31386,
    "library.bin": 968,
    "resident.res": 130,
    "SetVantrel.pb": 1432,
    "GetVantrel.pb": 1886,
    "logo.bmp": 55330,
    "button.bmp": 822,
}

# A fixed time stamp for the help files: 2008-03-01 12:00:00 UTC.
FIXED_TIME = 1204372800


def fail(message):
    sys.exit("make_payload: " + message)


# ---------------------------------------------------------------------------------------------
# Help files

def noise(count):
    """Letters and digits from a SHA-256 stream: text the help compiler cannot compress much,
    so that each padding character adds a steady amount to the compiled file."""
    alphabet = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
    out = bytearray()
    block = 0
    while len(out) < count:
        for byte in hashlib.sha256(b"orvelle-padding-%d" % block).digest():
            if byte < 248:  # 248 = 4 * 62: keeps the letters evenly spread
                out.append(alphabet[byte % 62])
        block += 1
    return bytes(out[:count])


def system_entries(system):
    """(code, offset, size) of each entry of a #SYSTEM file: after its version word, each
    entry is a code and a size (16 bits each), then that many bytes of data."""
    position = 4
    while position + 4 <= len(system):
        code, size = struct.unpack_from("<HH", system, position)
        yield code, position + 4, size
        position += 4 + size


def patch_time_stamps(chm):
    """Overwrites the compiler's time stamps: the one in the ITSF header and the one in the
    #SYSTEM file (entry code 10), which lies uncompressed in content section 0."""
    data = bytearray(chm)
    struct.pack_into("<I", data, 16, FIXED_TIME)
    # The directory entry: the name with its length byte, then section, offset and length
    # as variable-length numbers (seven bits a byte, high bit set on all but the last).
    name = b"\x08/#SYSTEM"
    at = data.find(name)
    if at < 0:
        fail("compiled help file has no #SYSTEM entry")
    at += len(name)
    values = []
    for _ in range(3):  # section, offset, length as ENCINTs
        value = 0
        while True:
            byte = data[at]
            at += 1
            value = (value << 7) | (byte & 0x7F)
            if byte < 0x80:
                break
        values.append(value)
    section, offset, length = values
    if section != 0:
        fail("#SYSTEM is not in the uncompressed section")
    content = struct.unpack_from("<Q", data, 0x58)[0]
    start = content + offset
    for code, at, size in system_entries(data[start:start + length]):
        if code == 10 and size == 4:
            struct.pack_into("<I", data, start + at, FIXED_TIME)
    return bytes(data)


def help_source(language, name, versioned_title=False):
    """A help source as the compiler gets it. Non-ASCII letters become character references,
    so the pages stay code-page free; the project file gets its title and the padding page."""
    with open(os.path.join(SRC, "help", language, name), encoding="utf-8") as f:
        text = f.read()
    if name.endswith(".hhp"):
        lines = text.split("\n")
        if versioned_title:
            lines = [line.replace(" 1.00", " v1.00") if line.startswith("Title=") else line for line in lines]
        text = "\n".join(lines).rstrip("\n") + "\npadding.html\n"
    return text.encode("ascii", "xmlcharrefreplace")


PADDING_HEAD = b"<html><head><title>-</title></head><body><p>"
PADDING_TAIL = b"</p></body></html>\n"


def padding_page(count):
    return PADDING_HEAD + noise(count) + PADDING_TAIL


def compile_help(language, versioned_title, padding, work):
    stage = os.path.join(work, "help-" + language)
    shutil.rmtree(stage, ignore_errors=True)
    os.makedirs(stage)
    for name in sorted(os.listdir(os.path.join(SRC, "help", language))):
        with open(os.path.join(stage, name), "wb") as f:
            f.write(help_source(language, name, versioned_title))
    with open(os.path.join(stage, "padding.html"), "wb") as f:
        f.write(padding_page(padding))
    result = subprocess.run(["setarch", "-R", "chmcmd", "Orvelle.hhp"], cwd=stage, env={"PATH": "/usr/bin:/bin"},
                            capture_output=True, text=True)
    if result.returncode != 0:
        fail("chmcmd failed for %s:\n%s%s" % (language, result.stdout, result.stderr))
    with open(os.path.join(stage, "Orvelle.chm"), "rb") as f:
        return f.read()


def make_help(language, target, work):
    """Finds the padding length and title that make the compiled file exactly `target` bytes.
    The size grows with the padding in steps of two bytes; one more title character moves
    it by one byte ("Orvelle 1.00" or "Orvelle v1.00"), so one of the two titles reaches any
    length."""
    for versioned_title in (False, True):
        low, high = 0, 4096
        while len(compile_help(language, versioned_title, high, work)) < target:
            high *= 2
        while low < high:
            middle = (low + high) // 2
            if len(compile_help(language, versioned_title, middle, work)) < target:
                low = middle + 1
            else:
                high = middle
        chm = compile_help(language, versioned_title, low, work)
        if len(chm) == target:
            return patch_time_stamps(chm)
    fail("no padding gives %s help of %d bytes" % (language, target))


def help_titles(language):
    """The two titles a compiled help file may carry: its project's, and the one with "v1.00"."""
    for line in help_source(language, "Orvelle.hhp").decode("ascii").split("\n"):
        if line.startswith("Title="):
            title = line[len("Title="):].encode("ascii")
            return {title, title.replace(b" 1.00", b" v1.00")}
    fail("the %s help project has no title" % language)


def help_problems(name, language, work):
    """What is wrong with the committed help file `name`, as texts (none when it is sound).
    chmcmd gives other bytes on other machines, so the file is checked for what it must be,
    through libchm's reader rather than our own parsing where it can be."""
    path = os.path.join(PAYLOAD, name)
    with open(path, "rb") as f:
        data = f.read()
    problems = []
    if len(data) != LENGTHS[name]:
        problems.append("%d bytes, expected %d" % (len(data), LENGTHS[name]))
    # The ITSF header gives at 0x38 the offset of its first section, which starts with 0x1FE
    # and holds the file's size at its offset 8.
    section = struct.unpack_from("<Q", data, 0x38)[0] if len(data) >= 0x40 else len(data)
    magic, size = struct.unpack_from("<I4xQ", data, section) if section + 16 <= len(data) else (None, None)
    if data[:4] != b"ITSF" or magic != 0x1FE:
        problems.append("no ITSF header with its size section")
    elif size != len(data):
        problems.append("the header gives %d bytes, the file has %d" % (size, len(data)))

    folder = os.path.join(work, name)
    result = subprocess.run(["extract_chmLib", path, folder], capture_output=True, text=True)
    if result.returncode != 0:
        return problems + ["extract_chmLib cannot read it: " + result.stdout + result.stderr]

    def read_back(page):
        try:
            with open(os.path.join(folder, page), "rb") as f:
                return f.read()
        except OSError:
            return None

    # Every source but the project file is compiled in: the pages, the table of contents
    # and the index.
    for page in sorted(os.listdir(os.path.join(SRC, "help", language))):
        if page.endswith(".hhp"):
            continue
        got = read_back(page)
        if got is None:
            problems.append("the reader finds no " + page)
        elif got != help_source(language, page):
            problems.append("%s as read back differs from its source" % page)
    padding = read_back("padding.html") or b""
    if padding != padding_page(len(padding) - len(PADDING_HEAD) - len(PADDING_TAIL)):
        problems.append("padding.html is not the padding page")
    system = read_back("#SYSTEM") or b""
    titles = [system[at:at + size].rstrip(b"\0") for code, at, size in system_entries(system) if code == 3]
    if len(titles) != 1 or titles[0] not in help_titles(language):
        problems.append("title %r, expected one of %r" % (titles, sorted(help_titles(language))))
    return problems


# ---------------------------------------------------------------------------------------------
# Library and resident files (layouts in src/FORMATS.md)

KINDS = {"none": 0, "long": 1, "string": 2, "pointer": 3, "float": 4}


def pad(data, length, what):
    if len(data) > length:
        fail("%s needs %d bytes, more than its %d" % (what, len(data), length))
    return data + bytes(length - len(data))


def make_library(length):
    with open(os.path.join(SRC, "library.json"), encoding="utf-8") as f:
        layout = json.load(f)
    commands = layout["commands"]
    table_at = 32
    strings_at = table_at + 20 * len(commands)
    strings = bytearray()

    def add_string(text):
        offset = strings_at + len(strings)
        strings.extend(text.encode("cp1252") + b"\0")
        return offset

    description = add_string(layout["description"])
    table = bytearray()
    for command in commands:
        kinds = [KINDS[k] for k in command["parameters"]]
        if len(kinds) > 8 or not 0 <= command["required"] <= len(kinds):
            fail("bad parameter list for " + command["name"])
        table += struct.pack("<IIBBBB", add_string(command["name"]), add_string(command["help"]),
                             KINDS[command["result"]], len(kinds), command["required"], 0)
        table += bytes(kinds + [0] * (8 - len(kinds)))
    header = b"ERUP" + struct.pack("<I", layout["version"]) + b"3BIL"
    header += struct.pack("<IIIII", len(commands), table_at, strings_at, len(strings), description)
    return pad(header + table + strings, length, "library file")


def make_resident(length):
    with open(os.path.join(SRC, "resident.json"), encoding="utf-8") as f:
        layout = json.load(f)
    data = bytearray(b"ERUP" + bytes(4) + b"2SER")
    data += struct.pack("<HH", len(layout["constants"]), len(layout["structures"]))
    for constant in layout["constants"]:
        data += constant["name"].encode("cp1252") + b"\0" + struct.pack("<i", constant["value"])
    for structure in layout["structures"]:
        data += structure["name"].encode("cp1252") + b"\0" + bytes([len(structure["fields"])])
        for field, kind in structure["fields"]:
            data += field.encode("cp1252") + b"\0" + kind.encode("ascii")
    return pad(bytes(data), length, "resident file")


# ---------------------------------------------------------------------------------------------
# Example sources

def make_example(name, length):
    """The source in CR LF lines and code page 1252, comment lines of dashes up to the length,
    then the last line "; EOF" without a line break."""
    with open(os.path.join(SRC, "examples", name), encoding="utf-8") as f:
        text = f.read()
    body = text.rstrip("\n").replace("\n", "\r\n").encode("cp1252") + b"\r\n"
    last = b"; EOF"
    room = length - len(body) - len(last)
    if room < 0:
        fail("%s is %d bytes too long" % (name, -room))
    filler = b""
    while room > 0:
        # A line is ";" + dashes + CR LF, 3 to 66 bytes; never leave 1 or 2 bytes behind.
        size = min(room, 66)
        if 0 < room - size < 3:
            size = room - 3
        filler += b";" + b"-" * (size - 3) + b"\r\n"
        room -= size
    return body + filler + last


# ---------------------------------------------------------------------------------------------
# Bitmaps and the program icon

def bmp(width, height, bits, rows, palette=b""):
    """A Windows BMP, bottom-up, rows padded to four bytes; `rows` top row first, each the
    row's pixel bytes."""
    stride = (width * bits // 8 + 3) & ~3
    pixels = b"".join(row + bytes(stride - len(row)) for row in reversed(rows))
    colours = len(palette) // 4
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835, colours, 0)
    return header + info + palette + pixels


def cross_pixel(size, x, y):
    """The button's picture: a red square with a darker edge and a white diagonal cross,
    as (r, g, b)."""
    red, edge, white = (204, 32, 40), (140, 16, 24), (255, 255, 255)
    last = size - 1
    if x in (0, last) or y in (0, last):
        return edge
    margin = size // 4
    half = size // 16  # cross arms: 2 pixels wide at 16, 4 at 32
    if margin <= x <= last - margin and margin <= y <= last - margin:
        if abs(x - y) <= half or abs(x + y - last) <= half:
            return white
    return red


def make_button():
    rows = []
    for y in range(16):
        rows.append(b"".join(bytes(reversed(cross_pixel(16, x, y))) for x in range(16)))
    return bmp(16, 16, 24, rows)


def make_icon():
    """Two images, 16 x 16 and 32 x 32, of the button's three colours: four bits per pixel
    with a 16-colour palette (a quarter of what 32 bits would cost), opaque (empty AND
    masks)."""
    colours = [(140, 16, 24), (204, 32, 40), (255, 255, 255)]
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours) + bytes(4 * (16 - len(colours)))
    images = []
    for size in (16, 32):
        stride = (size * 4 + 31) // 32 * 4
        rows = []
        for y in range(size):
            indices = [colours.index(cross_pixel(size, x, y)) for x in range(size)]
            row = bytes(indices[x] << 4 | indices[x + 1] for x in range(0, size, 2))
            rows.append(row + bytes(stride - len(row)))
        pixels = b"".join(reversed(rows))
        mask = bytes(((size + 31) // 32 * 4) * size)
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(pixels) + len(mask), 0, 0, 16, 0)
        images.append((size, info + palette + pixels + mask))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return data + b"".join(image for _, image in images)


def text_mask(width, height, item):
    """ImageMagick draws one text in white on black; the grey values are its coverage."""
    result = subprocess.run(
        [CONVERT, "-size", "%dx%d" % (width, height), "xc:black", "-font", item["font"], "-pointsize",
         str(item["size"]), "-fill", "white", "-annotate", "+%d+%d" % (item["x"], item["y"]), item["text"],
         "-depth", "8", "gray:-"], capture_output=True)
    if result.returncode != 0 or len(result.stdout) != width * height:
        fail("convert could not draw %r: %s" % (item["text"], result.stderr.decode(errors="replace")))
    return [b * item["strength"] / 255 for b in result.stdout]


def make_logo():
    """256 colours: 0-63 the background gradient, 64-191 background to white, 192-255
    background to gold. Ink ramps start from the gradient's middle colour, a difference too
    small to see at the letters' soft edges."""
    with open(os.path.join(SRC, "logo.json"), encoding="utf-8") as f:
        layout = json.load(f)
    width, height = layout["width"], layout["height"]
    top, bottom = layout["background_top"], layout["background_bottom"]

    def mix(a, b, t):
        return [round(a[i] + (b[i] - a[i]) * t) for i in range(3)]

    middle = mix(top, bottom, 0.5)
    palette = [mix(top, bottom, i / 63) for i in range(64)]
    palette += [mix(middle, layout["white"], i / 127) for i in range(128)]
    palette += [mix(middle, layout["gold"], i / 63) for i in range(64)]
    ink = {"white": [0.0] * (width * height), "gold": [0.0] * (width * height)}
    for item in layout["texts"]:
        layer = ink[item["ink"]]
        for i, value in enumerate(text_mask(width, height, item)):
            layer[i] = max(layer[i], value)
    for rule in layout["rules"]:
        layer = ink[rule["ink"]]
        for y in range(rule["y0"], rule["y1"] + 1):
            for x in range(rule["x0"], rule["x1"] + 1):
                layer[y * width + x] = 1.0
    rows = []
    for y in range(height):
        shade = round(63 * y / (height - 1))
        row = bytearray()
        for x in range(width):
            white, gold = ink["white"][y * width + x], ink["gold"][y * width + x]
            if white == 0 and gold == 0:
                row.append(shade)
            elif white >= gold:
                row.append(64 + max(1, round(white * 127)))
            else:
                row.append(192 + max(1, round(gold * 63)))
        rows.append(bytes(row))
    table = b"".join(bytes([b, g, r, 0]) for r, g, b in palette)
    return bmp(width, height, 8, rows, table)


# ---------------------------------------------------------------------------------------------

def made_files():
    """The files the script makes itself: the same bytes from one machine to another (the
    logo's letters come from the set-up's ImageMagick and fonts)."""
    return {
        "library.bin": make_library(LENGTHS["library.bin"]),
        "resident.res": make_resident(LENGTHS["resident.res"]),
        "SetVantrel.pb": make_example("SetVantrel.pb", LENGTHS["SetVantrel.pb"]),
        "GetVantrel.pb": make_example("GetVantrel.pb", LENGTHS["GetVantrel.pb"]),
        "logo.bmp": make_logo(),
        "button.bmp": make_button(),
        "orvelle.ico": make_icon(),
    }


HELP_FILES = {"help_fr.chm": "fr", "help_en.chm": "en"}


def build(work):
    files = {name: make_help(language, LENGTHS[name], work) for name, language in HELP_FILES.items()}
    files.update(made_files())
    for name, length in LENGTHS.items():
        if len(files[name]) != length:
            fail("%s has %d bytes, expected %d" % (name, len(files[name]), length))
    for name, data in files.items():
        with open(os.path.join(PAYLOAD, name), "wb") as f:
            f.write(data)
        print("%-14s %6d bytes" % (name, len(data)))


def check(work):
    problems = []
    for name, data in made_files().items():
        with open(os.path.join(PAYLOAD, name), "rb") as f:
            if f.read() != data:
                problems.append("%s: differs from what its sources give" % name)
    for name, language in HELP_FILES.items():
        problems += ["%s: %s" % (name, problem) for problem in help_problems(name, language, work)]
    if problems:
        fail("committed files do not match their sources:\n  " + "\n  ".join(problems))
    print("every committed file matches its sources")


def main():
    if sys.argv[1:] not in ([], ["--check"]):
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as work:
        if sys.argv[1:] == ["--check"]:
            check(work)
        else:
            build(work)


if __name__ == "__main__":
    main()
