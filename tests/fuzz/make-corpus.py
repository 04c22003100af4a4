#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets under tests/fuzz/corpus/<target>/.

Small valid inputs, one file each, named after what they hold; the /proc texts are taken from the unit
tests' fixtures so that the seeds follow them. Re-run after changing a layout; the output is stable.
"""
import pathlib
import re
import struct

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent


def write(target, name, data):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


# --- plugin_request_fuzz: header (length u32, id u32, version u8), little-endian body.
def message(command_id, body=b""):
    return struct.pack("<IIB", 9 + len(body), command_id, 1) + body


def text(s):
    return s.encode("utf-16-le")


def system_time(year, month, day, hour):
    return struct.pack("<8H", year, month, 0, day, hour, 0, 0, 0)


name = text("game.exe")
requests = {
    "pause": message(3),
    "start": message(1, struct.pack("<H", 4) + b"\x01\x02\x03\x04"),
    "set_suspension_state": message(35, b"\x01"),
    "down_by_pid": message(41, struct.pack("<I", 4242)),
    "set_accelerate_process": message(15, struct.pack("<I", len(name)) + name + bytes([2]) + text("|")),
    "down_by_name": message(39, struct.pack("<H", len(name)) + name),
    "down_between_by_name": message(
        61, struct.pack("<H", len(name)) + name + system_time(2026, 1, 2, 3) + system_time(2026, 1, 2, 4)),
    "down_between_by_id": message(63, struct.pack("<I", 4242) + system_time(2026, 1, 2, 3) + system_time(2026, 1, 2, 4)),
    "game_info": message(75, struct.pack("<II", 7, len(name)) + name + struct.pack("<I", 4) + text("eu")),
}
for key, value in requests.items():
    write("plugin_request_fuzz", key, value)


# --- captured_packet_fuzz: selector byte (link type index | 0x80 for a local source), then the frame.
LINKS = {"null": 0, "ethernet": 1, "ppp": 2, "raw": 3, "linux_sll": 6, "ipv4": 7, "linux_sll2": 8}


def ipv4(protocol, payload, src=(192, 168, 1, 10), dst=(203, 0, 113, 7)):
    total = 20 + len(payload)
    return struct.pack(">BBHHHBBH4B4B", 0x45, 0, total, 1, 0, 64, protocol, 0, *src, *dst) + payload


def tcp(sport, dport, data):
    return ipv4(6, struct.pack(">HHIIBBHHH", sport, dport, 1, 0, 0x50, 0x18, 65535, 0, 0) + data)


def udp(sport, dport, data):
    return ipv4(17, struct.pack(">HHHH", sport, dport, 8 + len(data), 0) + data)


inner = udp(5000, 53, b"q" * 16)
l2tp_up = udp(1701, 1701, b"\x02\x00\x00\x00\x00\x00\x00\x00" + b"\xff\x03\x00\x21"[-2:] + inner)
gre_payload = b"\x30\x81\x88\x0b" + struct.pack(">H", len(inner) + 1) + b"\x00\x01" + b"\x21" + inner
gre = ipv4(47, gre_payload)
packets = {
    "tcp": tcp(50000, 443, b"hello"),
    "udp": udp(50001, 27015, b"x" * 32),
    "l2tp": l2tp_up,
    "gre": gre,
}
frames = {
    "null": lambda p: struct.pack("<I", 2) + p,
    "ethernet": lambda p: bytes([2, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 2]) + b"\x81\x00\x00\x0a\x08\x00" + p,
    "ppp": lambda p: b"\xff\x03\x00\x21" + p,
    "raw": lambda p: p,
    "linux_sll": lambda p: bytes([0, 4, 0, 1, 0, 6, 2, 0, 0, 0, 0, 1, 0, 0, 8, 0]) + p,
    "ipv4": lambda p: p,
    "linux_sll2": lambda p: bytes([8, 0, 0, 0, 0, 0, 0, 2, 0, 1, 4, 6, 2, 0, 0, 0, 0, 1, 0, 0]) + p,
}
for packet_name, packet in packets.items():
    for link_name, wrap in frames.items():
        if packet_name != "tcp" and link_name not in ("raw", "ethernet"):
            continue
        for up in (0, 0x80):
            selector = LINKS[link_name] | up
            write("captured_packet_fuzz", f"{packet_name}_{link_name}_{'up' if up else 'down'}",
                  bytes([selector]) + wrap(packet))


# --- ini_document_fuzz: files in GBK and in UTF-16LE with its mark.
ini = "; 告警设置\r\n[Alarm]\r\nValue = \"12\"\r\nName=下载\r\n\r\n[Other]\r\nkey\r\nx=0x1F\r\n"
write("ini_document_fuzz", "gbk_crlf", ini.encode("gbk"))
write("ini_document_fuzz", "utf16", b"\xff\xfe" + ini.encode("utf-16-le"))
write("ini_document_fuzz", "lf_duplicates", b"[alarm]\nvalue=1\n[ Alarm ] tail\nValue=2\nvalue=3")
write("ini_document_fuzz", "no_bracket_cr", b"[Alarm\rValue='-7'\rName\r")
write("ini_document_fuzz", "utf8_bom", b"\xef\xbb\xbf[Alarm]\nValue=5\n")

# --- list_file_fuzz: UTF-16LE with a mark, UTF-8 with a mark, no mark.
black = "qq.exe 聊天软件\r\n\r\nthunder.EXE\r\n  xunlei.exe   下载工具  \r\n"
white = "steam.exe 平台\r\nexplorer,系统\r\nsvchost;服务\r\nonlyname\r\n\x1a after end"
write("list_file_fuzz", "black_utf16", b"\xff\xfe" + black.encode("utf-16-le"))
write("list_file_fuzz", "white_utf8", b"\xef\xbb\xbf" + white.encode("utf-8"))
write("list_file_fuzz", "white_nomark", white.encode("utf-16-le"))
write("list_file_fuzz", "long_line", b"\xff\xfe" + ("a" * 300 + ".exe d\n").encode("utf-16-le"))

# --- kernel_table_fuzz: selector byte (0 sock_diag, 1 /proc/net table, 2 fd link, 3 stat, 4 status).
fixtures = (ROOT / "tests/unit/engine/kernel_socket_fixtures.h").read_text(encoding="utf-8")


def fixture(name):
    match = re.search(name + r' =\s*R"\((.*?)\)";', fixtures, re.S)
    if match:
        return match.group(1).encode()
    match = re.search(name + r' =\s*"(.*?)";', fixtures, re.S)
    return match.group(1).replace("\\n", "\n").encode()


def diag_socket(state, sport, dport, src, dst, inode):
    body = struct.pack("<BBBB", 2, state, 0, 0) + struct.pack(">HH", sport, dport)
    body += bytes(src) + bytes(12) + bytes(dst) + bytes(12) + struct.pack("<III", 0, 0, 0)
    body += struct.pack("<IIIII", 0, 0, 0, 1000, inode)
    return struct.pack("<IHHII", 16 + len(body), 20, 2, 1, 0) + body


done = struct.pack("<IHHIIi", 20, 3, 2, 1, 0, 0)
write("kernel_table_fuzz", "sock_diag", b"\x00" + diag_socket(1, 443, 50000, (127, 0, 0, 1), (127, 0, 0, 1), 4242)
      + diag_socket(10, 8080, 0, (0, 0, 0, 0), (0, 0, 0, 0), 77))
write("kernel_table_fuzz", "sock_diag_done", b"\x00" + done)
write("kernel_table_fuzz", "proc_net_tcp", b"\x01" + fixture("kProcNetTcp"))
write("kernel_table_fuzz", "proc_net_udp", b"\x01" + fixture("kProcNetUdp"))
write("kernel_table_fuzz", "fd_link", b"\x02socket:[369162]")
write("kernel_table_fuzz", "proc_stat", b"\x03" + fixture("kProcStat"))
write("kernel_table_fuzz", "proc_stat_paren", b"\x03" + b"12 (a) b) (c) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 99 0\n")
write("kernel_table_fuzz", "status", b"\x04Name:\tcap\nCapInh:\t0000000000000000\nCapEff:\t0000003fffffffff\n")
