#!/usr/bin/env python3
"""Checks the resources linked into brelvane.exe against what the program
needs: every dialog template field by field, the icon groups and their
order, the restart picture, the version block, the manifest and the language
of every resource.

Usage: check_resources.py brelvane.exe            check; exit 1 on any mismatch
       check_resources.py --self-test brelvane.exe also prove that damaged
                                                   copies are caught
       check_resources.py --sim-templates SIM_TEMPLATES SCRIPT.rc
                    the same dialog checks on what the simulated dialog
                    manager reads from the script (native builds)

It reads the PE resource directory itself (no Windows needed), so it runs on
Linux against the cross-compiled program. The expected values below are
written out by hand, not taken from the resource script.
"""

import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

# --- Windows constants (values as in the Windows headers) --------------------

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_BORDER, WS_SYSMENU = 0x00C00000, 0x00800000, 0x00080000
WS_VSCROLL, WS_HSCROLL = 0x00200000, 0x00100000
WS_GROUP, WS_TABSTOP, WS_MINIMIZEBOX = 0x00020000, 0x00010000, 0x00020000
DS_3DLOOK, DS_SETFONT, DS_MODALFRAME = 0x04, 0x40, 0x80
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX = 0, 1, 3, 7
BS_MULTILINE, BS_FLAT = 0x2000, 0x8000
SS_LEFT, SS_ICON, SS_BITMAP, SS_SUNKEN = 0, 0x03, 0x0E, 0x1000
ES_LEFT, ES_AUTOHSCROLL, ES_READONLY = 0, 0x80, 0x800
LBS_NOTIFY, LBS_SORT, LBS_MULTIPLESEL, LBS_NOINTEGRALHEIGHT = 0x1, 0x2, 0x8, 0x100

RT_ICON, RT_BITMAP, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 2, 5, 14, 16, 24
LANG_JAPANESE_DEFAULT = 0x0411  # 1041

# Predefined window classes are stored as ordinals in a template.
BUTTON, EDIT, STATIC, LISTBOX = 0x80, 0x81, 0x82, 0x83
CLASS_NAMES = {BUTTON: "Button", EDIT: "Edit", STATIC: "Static", LISTBOX: "ListBox"}

# --- the expected templates ---------------------------------------------------

FONT = (9, "ＭＳ Ｐゴシック")
# What a dialog editor writes for "FONT 9, face" in an extended template:
# normal weight (0), not italic, DEFAULT_CHARSET (1).
FONT_EXTRA = (0, 0, 1)

MAIN_STYLE = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
BOX_STYLE = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU

CHILD = WS_CHILD | WS_VISIBLE
FLAT_BUTTON = CHILD | BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP
DEFAULT_BUTTON = CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP
BUTTON_STYLE = CHILD | BS_PUSHBUTTON | WS_TABSTOP
TEXT = CHILD | SS_LEFT | WS_GROUP
ICON = CHILD | SS_ICON
GROUP_BOX = CHILD | BS_GROUPBOX
CHECK_BOX = CHILD | BS_AUTOCHECKBOX | WS_TABSTOP
ENTRY_LIST = (CHILD | LBS_NOTIFY | LBS_SORT | LBS_MULTIPLESEL | LBS_NOINTEGRALHEIGHT
              | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP)
READ_ONLY_EDIT = CHILD | ES_LEFT | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP
EDIT_STYLE = CHILD | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP

SAVE = "現行の設定をファイルにセーブ"
LOAD = "現行の設定をファイルからロード"
CANCEL = "ｷｬﾝｾﾙ"

# Four rectangles leave their text some room (102's IE/OE text is 24 high,
# not 16; the labels "保存元コンピュータ名:" and "保存者コメント:" are 72 and
# 52 wide, not 64 and 44): sized to the pixel for one font, they clip their
# text in any slightly wider one.
#
# template id: (style, (x, y, cx, cy), caption, [(id, class, style, text, (x, y, cx, cy))])
# A text given as an int is a resource ordinal (the icon or bitmap to show).
DIALOGS = {
    101: (MAIN_STYLE, (40, 40, 187, 93), "Brelvane 2.4.1.8", [
        (-1, STATIC, ICON, 108, (7, 7, 20, 20)),
        (-1, STATIC, TEXT, "Internet ExplorerのインターネットオプションおよびOutlook Expressのアカウントを設定します。",
         (35, 7, 145, 16)),
        (1000, BUTTON, FLAT_BUTTON, SAVE, (7, 35, 173, 14)),
        (1001, BUTTON, FLAT_BUTTON, LOAD, (7, 49, 173, 14)),
        (1020, BUTTON, FLAT_BUTTON, "関連登録", (130, 72, 50, 14)),
    ]),
    102: (MAIN_STYLE, (40, 40, 187, 205), "Brelvane 2.4.1.8", [
        (-1, BUTTON, GROUP_BOX, "IE/OEの設定", (7, 7, 173, 77)),
        (-1, STATIC, ICON, 108, (15, 21, 20, 20)),
        (-1, STATIC, TEXT, "Internet ExplorerのインターネットオプションとOutlook Expressのアカウントを設定します。",
         (42, 21, 131, 24)),
        (1000, BUTTON, FLAT_BUTTON, SAVE, (14, 49, 159, 14)),
        (1001, BUTTON, FLAT_BUTTON, LOAD, (14, 63, 159, 14)),
        (-1, BUTTON, GROUP_BOX, "TCP/IPの設定", (7, 93, 173, 77)),
        (-1, STATIC, ICON, 109, (14, 105, 20, 20)),
        (-1, STATIC, TEXT, "ローカルエリア接続のインターネットプロトコルを設定します。", (42, 105, 131, 16)),
        (1003, BUTTON, FLAT_BUTTON, SAVE, (14, 133, 159, 14)),
        (1004, BUTTON, FLAT_BUTTON, LOAD, (14, 147, 159, 14)),
        (1020, BUTTON, FLAT_BUTTON, "関連登録", (130, 184, 50, 14)),
    ]),
    111: (BOX_STYLE, (20, 20, 187, 177), "", [
        (1, BUTTON, DEFAULT_BUTTON, "OK", (130, 7, 50, 14)),
        (2, BUTTON, BUTTON_STYLE, CANCEL, (130, 24, 50, 14)),
        (1009, STATIC, TEXT, "", (7, 7, 108, 21)),
        (1007, LISTBOX, ENTRY_LIST, "", (7, 35, 108, 51)),
        (-1, STATIC, TEXT, "保存元コンピュータ名:", (7, 98, 72, 8)),
        (1008, EDIT, READ_ONLY_EDIT, "", (14, 112, 101, 14)),
        (-1, STATIC, TEXT, "保存者コメント:", (7, 133, 52, 8)),
        (1011, EDIT, EDIT_STYLE, "", (14, 147, 101, 14)),
    ]),
    112: (BOX_STYLE, (20, 20, 187, 205), "", [
        (1, BUTTON, DEFAULT_BUTTON, "OK", (130, 7, 50, 14)),
        (2, BUTTON, BUTTON_STYLE, CANCEL, (130, 24, 50, 14)),
        (1010, BUTTON, CHECK_BOX | BS_MULTILINE, "", (7, 7, 108, 22)),
        (1009, STATIC, TEXT, "", (7, 35, 108, 21)),
        (1007, LISTBOX, ENTRY_LIST, "", (7, 63, 108, 51)),
        (-1, STATIC, TEXT, "保存元ユーザ名:", (7, 126, 50, 8)),
        (1008, EDIT, READ_ONLY_EDIT, "", (14, 140, 101, 14)),
        (-1, STATIC, TEXT, "保存者コメント:", (7, 161, 52, 8)),
        (1011, EDIT, EDIT_STYLE, "", (14, 175, 101, 14)),
    ]),
    113: (BOX_STYLE | DS_3DLOOK, (20, 20, 187, 93), "関連登録", [
        (1, BUTTON, DEFAULT_BUTTON, "OK", (130, 7, 50, 14)),
        (2, BUTTON, BUTTON_STYLE, CANCEL, (130, 24, 50, 14)),
        (-1, STATIC, TEXT, "セーブしたファイルをダブルクリックするだけでロードできるようにする項目を選択します。",
         (7, 7, 119, 28)),
        (1010, BUTTON, CHECK_BOX, "IE/OEの設定", (7, 42, 54, 10)),
        (1021, BUTTON, CHECK_BOX, "TCP/IPの設定", (7, 56, 58, 10)),
    ]),
    116: (BOX_STYLE | WS_VISIBLE, (20, 20, 187, 121), "シャットダウン", [
        (-1, STATIC, TEXT, "再起動が必要な場合があります。今すぐ実行する操作を選択してください。", (7, 7, 173, 21)),
        (-1, STATIC, CHILD | SS_BITMAP | SS_SUNKEN, 117, (21, 33, 83, 81)),
        (1000, BUTTON, FLAT_BUTTON, "続行", (124, 42, 56, 14)),
        (1001, BUTTON, FLAT_BUTTON, "終了", (124, 70, 56, 14)),
        (1003, BUTTON, FLAT_BUTTON, "再起動", (124, 98, 56, 14)),
    ]),
}

# The shell numbers icon groups in resource order: .ies files show index 1,
# .ips files index 2.
ICON_GROUPS = [107, 108, 109]
ICON_IMAGES = sorted((size, bits) for size in (16, 32, 48) for bits in (4, 32))

VERSION = (2, 4, 1, 8)
STRING_TABLE = "041103A4"
STRINGS = {"FileDescription": "Brelvane", "FileVersion": "2.4.1.8",
           "ProductName": "Brelvane", "OriginalFilename": "brelvane.exe"}
TRANSLATION = [0x0411, 932]

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


# --- PE resource directory -----------------------------------------------------

class BadFile(Exception):
    pass


class Reader:
    def __init__(self, data):
        self.data = data

    def unpack(self, fmt, offset):
        size = struct.calcsize(fmt)
        if offset < 0 or offset + size > len(self.data):
            raise BadFile("read of %d bytes at 0x%x is outside the file" % (size, offset))
        return struct.unpack_from(fmt, self.data, offset)

    def bytes(self, offset, size):
        if offset < 0 or size < 0 or offset + size > len(self.data):
            raise BadFile("block of %d bytes at 0x%x is outside the file" % (size, offset))
        return self.data[offset:offset + size]


def read_resources(data):
    """Returns [((type, name, language), bytes, file offset, entry offsets)]
    in directory order. Types and names are ints, or strings for named
    entries; the entry offsets are those of the three directory entries that
    lead to the data (used by the self-test to damage them)."""
    r = Reader(data)
    (mz,) = r.unpack("<2s", 0)
    if mz != b"MZ":
        raise BadFile("no MZ header")
    (pe_offset,) = r.unpack("<I", 0x3C)
    if r.unpack("<4s", pe_offset)[0] != b"PE\0\0":
        raise BadFile("no PE signature")
    _, sections, _, _, _, optional_size, _ = r.unpack("<HHIIIHH", pe_offset + 4)
    optional = pe_offset + 24
    (magic,) = r.unpack("<H", optional)
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if directories < optional:
        raise BadFile("unknown optional header 0x%x" % magic)
    res_rva, res_size = r.unpack("<II", directories + 2 * 8)
    if not res_rva:
        raise BadFile("no resource directory")
    table = optional + optional_size
    spans = []
    for i in range(sections):
        _, vsize, vaddr, raw_size, raw_ptr = r.unpack("<8sIIII", table + 40 * i)
        spans.append((vaddr, max(vsize, raw_size), raw_ptr))

    def to_offset(rva):
        for vaddr, size, raw in spans:
            if vaddr <= rva < vaddr + size:
                return raw + rva - vaddr
        raise BadFile("RVA 0x%x is in no section" % rva)

    base = to_offset(res_rva)
    found = []

    def name_of(entry_name):
        if entry_name & 0x80000000:
            at = base + (entry_name & 0x7FFFFFFF)
            (length,) = r.unpack("<H", at)
            return r.bytes(at + 2, 2 * length).decode("utf-16-le")
        return entry_name

    def walk(offset, path, entries):
        _, _, _, _, named, ids = r.unpack("<IIHHHH", base + offset)
        for i in range(named + ids):
            entry = base + offset + 16 + 8 * i
            entry_name, target = r.unpack("<II", entry)
            key = path + (name_of(entry_name),)
            if target & 0x80000000:
                if len(key) >= 3:
                    raise BadFile("resource directory deeper than three levels")
                walk(target & 0x7FFFFFFF, key, entries + (entry,))
            else:
                if len(key) != 3:
                    raise BadFile("resource data at level %d" % len(key))
                rva, size, _, _ = r.unpack("<IIII", base + target)
                at = to_offset(rva)
                found.append((key, r.bytes(at, size), at, entries + (entry,)))

    walk(0, (), ())
    return found


# --- decoders ----------------------------------------------------------------

def sz_or_ord(r, at):
    """A template field: 0xFFFF + ordinal, or a UTF-16 string ("" for none)."""
    (first,) = r.unpack("<H", at)
    if first == 0xFFFF:
        return r.unpack("<H", at + 2)[0], at + 4
    chars = []
    while True:
        (c,) = r.unpack("<H", at)
        at += 2
        if c == 0:
            break
        chars.append(c)
    return struct.pack("<%dH" % len(chars), *chars).decode("utf-16-le"), at


def align4(at):
    return (at + 3) & ~3


def decode_dialog(data):
    r = Reader(data)
    version, signature, help_id, ex_style, style, count, x, y, cx, cy = r.unpack("<HHIIIHhhhh", 0)
    if (version, signature) != (1, 0xFFFF):
        raise BadFile("not an extended dialog template")
    at = 26
    menu, at = sz_or_ord(r, at)
    window_class, at = sz_or_ord(r, at)
    title, at = sz_or_ord(r, at)
    font = None
    if style & DS_SETFONT:
        points, weight, italic, charset = r.unpack("<HHBB", at)
        face, at = sz_or_ord(r, at + 6)
        font = (points, face, (weight, italic, charset))
    items = []
    for _ in range(count):
        at = align4(at)
        i_help, i_ex, i_style, ix, iy, icx, icy, i_id = r.unpack("<IIIhhhhi", at)
        at += 24
        i_class, at = sz_or_ord(r, at)
        i_text, at = sz_or_ord(r, at)
        (extra,) = r.unpack("<H", at)
        at += 2 + extra
        items.append(dict(help=i_help, ex_style=i_ex, style=i_style, rect=(ix, iy, icx, icy),
                          id=i_id, cls=i_class, text=i_text, extra=extra))
    return dict(help=help_id, ex_style=ex_style, style=style, rect=(x, y, cx, cy), menu=menu,
                cls=window_class, title=title, font=font, items=items, tail=len(data) - at)


def decode_version(data):
    """VS_VERSIONINFO as nested (key, value bytes, type, children) nodes."""
    r = Reader(data)

    def node(at, end):
        length, value_length, kind = r.unpack("<HHH", at)
        stop = min(at + length, end)
        key, pos = sz_or_ord(r, at + 6)
        pos = align4(pos)
        size = value_length * (2 if kind == 1 else 1)
        value = r.bytes(pos, size)
        pos = align4(pos + size)
        children = []
        while pos < stop:
            child, pos = node(pos, stop)
            children.append(child)
        return (key, value, kind, children), align4(at + length)

    root, _ = node(0, len(data))
    return root


def class_name(stored):
    """rc.exe stores the predefined classes as ordinals, windres as their
    upper-case names; the dialog manager treats both alike."""
    if isinstance(stored, int):
        return CLASS_NAMES.get(stored, stored)
    for name in CLASS_NAMES.values():
        if stored.lower() == name.lower():
            return name
    return stored


def hex_or(v):
    return "0x%08X" % v if isinstance(v, int) else repr(v)


# --- the checks ----------------------------------------------------------------

def check(resources):
    """Returns a list of mismatch descriptions; empty when all is as expected."""
    errors = []
    by_key = {key: data for key, data, _, _ in resources}

    def expect(what, got, want):
        if got != want:
            errors.append("%s: got %s, expected %s" % (what, hex_or(got), hex_or(want)))

    for key, _, _, _ in resources:
        expect("language of resource type %s name %s" % (key[0], key[1]), key[2],
               LANG_JAPANESE_DEFAULT)

    # dialogs
    dialog_ids = sorted(k[1] for k in by_key if k[0] == RT_DIALOG)
    expect("dialog templates", dialog_ids, sorted(DIALOGS))
    for dlg_id in sorted(DIALOGS):
        data = by_key.get((RT_DIALOG, dlg_id, LANG_JAPANESE_DEFAULT))
        if data is None:
            errors.append("dialog %d: missing" % dlg_id)
            continue
        try:
            d = decode_dialog(data)
        except BadFile as e:
            errors.append("dialog %d: %s" % (dlg_id, e))
            continue
        check_dialog(dlg_id, d, expect)

    # icon groups: exactly these, in this order, each with its six images
    groups = [k[1] for k, _, _, _ in resources if k[0] == RT_GROUP_ICON]
    expect("icon groups in shell index order", groups, ICON_GROUPS)
    icons = {k[1]: data for k, data, _, _ in resources if k[0] == RT_ICON}
    for group in ICON_GROUPS:
        data = by_key.get((RT_GROUP_ICON, group, LANG_JAPANESE_DEFAULT))
        if data is None:
            continue
        r = Reader(data)
        reserved, kind, count = r.unpack("<HHH", 0)
        expect("icon group %d header" % group, (reserved, kind), (0, 1))
        images = []
        for i in range(count):
            w, h, colours, _, planes, bits, size, icon_id = r.unpack("<BBBBHHIH", 6 + 14 * i)
            where = "icon group %d image %d" % (group, i)
            expect(where + " is square", w, h)
            expect(where + " colour count", colours, 16 if bits == 4 else 0)
            image = icons.get(icon_id)
            if image is None:
                errors.append(where + ": icon %d missing" % icon_id)
                continue
            expect(where + " size", len(image), size)
            hs, dw, dh, dplanes, dbits = Reader(image).unpack("<IiiHH", 0)
            expect(where + " DIB header", (hs, dw, dh, dplanes, dbits), (40, w, 2 * h, 1, bits))
            stride = lambda b: ((w * b + 31) // 32) * 4
            palette = 16 * 4 if bits == 4 else 0
            expect(where + " DIB size", len(image), 40 + palette + stride(bits) * h + stride(1) * h)
            images.append((w, bits))
        expect("icon group %d images (size, bits)" % group, sorted(images), ICON_IMAGES)

    # the restart picture
    data = by_key.get((RT_BITMAP, 117, LANG_JAPANESE_DEFAULT))
    if data is None:
        errors.append("bitmap 117: missing")
    else:
        hs, w, h, planes, bits, compression, _, _, _, used, _ = Reader(data).unpack("<IiiHHIIiiII", 0)
        expect("bitmap 117 header size", hs, 40)
        expect("bitmap 117 size", (w, abs(h)), (144, 120))
        expect("bitmap 117 colour depth", (planes, bits), (1, 4))
        expect("bitmap 117 compression", compression, 0)
        expect("bitmap 117 data size", len(data), 40 + 4 * (used or 16) + ((144 * 4 + 31) // 32) * 4 * 120)

    # version block
    data = by_key.get((RT_VERSION, 1, LANG_JAPANESE_DEFAULT))
    if data is None:
        errors.append("version block: missing")
    else:
        key, value, _, children = decode_version(data)
        expect("version block key", key, "VS_VERSION_INFO")
        sig, _, fms, fls, pms, pls = Reader(value).unpack("<IIIIII", 0) if len(value) >= 24 else (0,) * 6
        expect("fixed file info signature", sig, 0xFEEF04BD)
        packed = ((VERSION[0] << 16) | VERSION[1], (VERSION[2] << 16) | VERSION[3])
        expect("FILEVERSION", (fms, fls), packed)
        expect("PRODUCTVERSION", (pms, pls), packed)
        blocks = {c[0]: c for c in children}
        expect("version blocks", sorted(blocks), ["StringFileInfo", "VarFileInfo"])
        tables = {t[0]: t for t in blocks.get("StringFileInfo", ("", b"", 0, []))[3]}
        expect("string tables", sorted(tables), [STRING_TABLE])
        if STRING_TABLE in tables:
            raw = {s[0]: s[1] for s in tables[STRING_TABLE][3]}
            for name, want in STRINGS.items():
                value = raw.get(name, b"")
                # Readers of the block take the value as a C string.
                expect("version string %s terminated" % name, value[-2:], b"\0\0")
                expect("version string " + name, value[:-2].decode("utf-16-le"), want)
        var = {v[0]: v for v in blocks.get("VarFileInfo", ("", b"", 0, []))[3]}
        translation = var.get("Translation", ("", b"", 0, []))[1]
        expect("Translation", list(struct.unpack("<%dH" % (len(translation) // 2), translation)),
               TRANSLATION)

    # manifest
    data = by_key.get((RT_MANIFEST, 1, LANG_JAPANESE_DEFAULT))
    if data is None:
        errors.append("manifest: missing")
    else:
        try:
            root = ET.fromstring(data)
        except ET.ParseError as e:
            errors.append("manifest: not XML: %s" % e)
            root = None
        if root is not None:
            levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
            expect("manifest execution level", levels, ["asInvoker"])
            oses = {e.get("Id").lower() for e in root.iter() if e.tag.endswith("}supportedOS")}
            expect("manifest supportedOS", sorted(oses), sorted(SUPPORTED_OS))
            deps = [e.get("name") for e in root.iter() if e.tag.endswith("}assemblyIdentity")
                    and e.get("name") == "Microsoft.Windows.Common-Controls"]
            expect("manifest Common Controls 6 dependency (classic look)", deps, [])

    # nothing else: every resource must be one of the kinds above
    kinds = {RT_ICON, RT_BITMAP, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST}
    for key, _, _, _ in resources:
        if key[0] not in kinds:
            errors.append("unexpected resource type %s name %s" % (key[0], key[1]))
    return errors


def check_dialog(dlg_id, d, expect):
    """Compares one decoded template with the table."""
    style, rect, caption, controls = DIALOGS[dlg_id]
    where = "dialog %d" % dlg_id
    expect(where + " style", d["style"], style)
    expect(where + " extended style", d["ex_style"], 0)
    expect(where + " help id", d["help"], 0)
    expect(where + " rectangle", d["rect"], rect)
    expect(where + " menu", d["menu"], "")
    expect(where + " class", d["cls"], "")
    expect(where + " caption", d["title"], caption)
    expect(where + " font", d["font"] and d["font"][:2], FONT)
    expect(where + " font weight, italic, charset", d["font"] and d["font"][2], FONT_EXTRA)
    expect(where + " control count", len(d["items"]), len(controls))
    expect(where + " trailing bytes", d["tail"], 0)
    for n, (item, want) in enumerate(zip(d["items"], controls)):
        c_id, c_class, c_style, c_text, c_rect = want
        at = "%s control %d (id %d)" % (where, n + 1, c_id)
        expect(at + " id", item["id"], c_id)
        expect(at + " class", class_name(item["cls"]), CLASS_NAMES[c_class])
        expect(at + " style", item["style"], c_style)
        expect(at + " extended style", item["ex_style"], 0)
        expect(at + " text", item["text"], c_text)
        expect(at + " rectangle", item["rect"], c_rect)
        expect(at + " creation data", item["extra"], 0)
    # Layout: every control inside the dialog, none over another (group boxes
    # frame others and are left out).
    _, _, width, height = d["rect"]
    boxes = []
    for n, item in enumerate(d["items"]):
        x, y, cx, cy = item["rect"]
        if x < 0 or y < 0 or x + cx > width or y + cy > height:
            expect("%s control %d outside the dialog" % (where, n + 1), item["rect"], "inside 0, 0, %d, %d"
                   % (width, height))
        if class_name(item["cls"]) == "Button" and item["style"] & 0xF == BS_GROUPBOX:
            continue
        for m, (bx, by, bcx, bcy) in boxes:
            if x < bx + bcx and bx < x + cx and y < by + bcy and by < y + cy:
                expect("%s controls %d and %d overlap" % (where, m + 1, n + 1), item["rect"],
                       "clear of %s" % ((bx, by, bcx, bcy),))
        boxes.append((n, (x, y, cx, cy)))


def read_sim_templates(lines):
    """The dialogs as sim_templates prints the simulation's reading of the
    resource script, in the shape decode_dialog gives."""
    def text(field):
        return "" if field == "-" else bytes.fromhex(field).decode("cp932")

    dialogs = {}
    current = None
    for line in lines:
        f = line.split()
        if not f:
            continue
        if f[0] == "error":
            raise BadFile("the simulation cannot read the script: " + line)
        if f[0] == "dialog":
            (dlg_id, extended, style, ex_style, x, y, cx, cy), caption = map(int, f[1:9]), text(f[9])
            has_font, points, face, weight, italic, charset = int(f[10]), int(f[11]), text(f[12]), \
                int(f[13]), int(f[14]), int(f[15])
            current = dict(help=0, ex_style=ex_style, style=style, rect=(x, y, cx, cy), menu="", cls="",
                           title=caption, font=(points, face, (weight, italic, charset)) if has_font else None,
                           items=[], tail=0, extended=extended)
            dialogs[dlg_id] = current
        elif f[0] == "control" and current is not None:
            c_id, cls, style, ex_style, ordinal = int(f[1]), f[2], int(f[3]), int(f[4]), int(f[5])
            current["items"].append(dict(
                help=0, ex_style=ex_style, style=style, id=c_id, cls=cls, extra=0,
                text=ordinal if ordinal != -1 else text(f[6]), rect=tuple(map(int, f[7:11]))))
    return dialogs


def check_sim_templates(lines):
    errors = []

    def expect(what, got, want):
        if got != want:
            errors.append("simulation's %s: got %s, expected %s" % (what, hex_or(got), hex_or(want)))

    try:
        dialogs = read_sim_templates(lines)
    except BadFile as e:
        return [str(e)]
    expect("dialog templates", sorted(dialogs), sorted(DIALOGS))
    for dlg_id in sorted(set(dialogs) & set(DIALOGS)):
        expect("dialog %d DIALOGEX" % dlg_id, dialogs[dlg_id]["extended"], 1)
        check_dialog(dlg_id, dialogs[dlg_id], expect)
    return errors


def run_check(data):
    try:
        return check(read_resources(data))
    except BadFile as e:
        return ["cannot read resources: %s" % e]


# --- self test: damaged copies must be caught --------------------------------

def self_test(data):
    """Damages one field at a time in a copy of the program and requires the
    check to name it; a check that passed everything would fail here."""
    resources = {key: (blob, at, entries) for key, blob, at, entries in read_resources(data)}
    failures = []

    def damaged(what, patches, expected_words):
        copy = bytearray(data)
        for at, fmt, value in patches:
            struct.pack_into(fmt, copy, at, value)
        text = "\n".join(run_check(bytes(copy)))
        if not all(w in text for w in expected_words):
            failures.append("%s went unnoticed or was misnamed; the check said: %s" % (what, text))

    def field(key, offset, fmt, value):
        return [(resources[key][1] + offset, fmt, value)]

    lang = LANG_JAPANESE_DEFAULT
    dlg = lambda n: (RT_DIALOG, n, lang)
    style = decode_dialog(resources[dlg(113)][0])["style"]
    damaged("113 without DS_MODALFRAME", field(dlg(113), 12, "<I", style & ~DS_MODALFRAME),
            ["dialog 113 style"])
    damaged("101 moved", field(dlg(101), 18, "<h", 41), ["dialog 101 rectangle"])
    items = item_offsets(resources[dlg(116)][0])
    first = items[0]
    damaged("116 text without WS_GROUP", field(dlg(116), first + 8, "<I", CHILD | SS_LEFT),
            ["dialog 116 control 1", "style"])
    damaged("116 text with an id", field(dlg(116), first + 20, "<i", 1234),
            ["dialog 116 control 1", "id"])
    damaged("116's second button moved onto the first", field(dlg(116), items[3] + 14, "<h", 45),
            ["dialog 116 controls 3 and 4 overlap"])
    damaged("116's last button pushed out of the dialog", field(dlg(116), items[4] + 14, "<h", 110),
            ["dialog 116 control 5 outside the dialog"])
    pos = resources[dlg(102)][0].find("現行".encode("utf-16-le"))
    damaged("a changed character in 102", field(dlg(102), pos, "<H", ord("旧")),
            ["dialog 102 control", "text"])
    # Renumbering group 108 as 110 moves it behind 109 in the shell's count.
    name_entry = resources[(RT_GROUP_ICON, 108, lang)][2][1]
    damaged("icon group 108 renumbered 110", [(name_entry, "<I", 110)],
            ["icon groups in shell index order"])
    damaged("an 8-bit restart picture", field((RT_BITMAP, 117, lang), 14, "<H", 8),
            ["bitmap 117 colour depth"])
    fixed = resources[(RT_VERSION, 1, lang)][0].find(struct.pack("<I", 0xFEEF04BD))
    damaged("product version 2.4.1.9", field((RT_VERSION, 1, lang), fixed + 20, "<I", (1 << 16) | 9),
            ["PRODUCTVERSION"])
    vi_text = resources[(RT_VERSION, 1, lang)][0].find("Brelvane".encode("utf-16-le"))
    damaged("a changed FileDescription", field((RT_VERSION, 1, lang), vi_text, "<H", ord("b")),
            ["version string FileDescription"])
    level = resources[(RT_MANIFEST, 1, lang)][0].find(b'"asInvoker"')
    damaged("a manifest asking for more than asInvoker", field((RT_MANIFEST, 1, lang), level + 3, "<B", ord("X")),
            ["manifest execution level"])
    language_entry = resources[(RT_MANIFEST, 1, lang)][2][2]
    damaged("an English manifest", [(language_entry, "<I", 0x0409)],
            ["language of resource type 24"])
    return failures


def item_offsets(template):
    """Where each DLGITEMTEMPLATEEX of an extended template starts."""
    r = Reader(template)
    (count,) = r.unpack("<H", 16)
    at = 26
    for _ in range(3):
        _, at = sz_or_ord(r, at)
    _, at = sz_or_ord(r, at + 6)
    offsets = []
    for _ in range(count):
        at = align4(at)
        offsets.append(at)
        at += 24
        for _ in range(2):
            _, at = sz_or_ord(r, at)
        at += 2 + r.unpack("<H", at)[0]
    return offsets


def main(argv):
    if argv[:1] == ["--sim-templates"] and len(argv) == 3:
        run = subprocess.run(argv[1:], capture_output=True, text=True)
        errors = check_sim_templates(run.stdout.splitlines())
        if run.returncode:
            errors.append("sim_templates ended with %d" % run.returncode)
        for e in errors:
            print("FAIL " + e)
        print("the simulation reads %d dialogs from the script: %s"
              % (len(DIALOGS), "%d mismatches" % len(errors) if errors else "as expected"))
        return 1 if errors else 0
    args = [a for a in argv if not a.startswith("--")]
    if len(args) != 1:
        print(__doc__)
        return 2
    with open(args[0], "rb") as f:
        data = f.read()
    errors = run_check(data)
    for e in errors:
        print("FAIL " + e)
    checked = sum(len(c) for _, _, _, c in DIALOGS.values())
    print("%d dialogs (%d controls), %d icon groups, bitmap, version block, manifest: %s"
          % (len(DIALOGS), checked, len(ICON_GROUPS), "%d mismatches" % len(errors) if errors else "as expected"))
    if "--self-test" in argv:
        failures = self_test(data) if not errors else ["skipped: the program itself fails the check"]
        for f in failures:
            print("SELF-TEST FAIL " + f)
        print("self-test: %s" % ("%d failures" % len(failures) if failures else "every damaged copy caught"))
        errors += failures
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
