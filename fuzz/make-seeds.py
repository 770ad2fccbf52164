#!/usr/bin/env python3
"""Writes the seed corpus of the .cfg harness: 416-byte Larkspur records (the defaults, every
component, every offered card on each header, hostile prefixes and names) and a few files of
the wrong size; and the hostile seeds of the .qsf harness: nesting some 20,000 levels deep
(within its 64 KiB inputs), and texts from which no assignment can be read. Run from
anywhere; it rewrites fuzz/corpus/cfg and the hostile_* files of fuzz/corpus/qsf."""

import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "cfg"
QSF_OUT = OUT.parent / "qsf"
CARDS = [0, 1, 12, 13, 55, 62, 63, 66, 67, 68, 69, 76]
# OSC LED Button Switch ADC HdmiTx MIPI LPDDR4A LPDDR4B UART FAN SDRAM HPS
DEFAULT_FLAGS = [1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 0]


def text(value: bytes) -> bytes:
    """A 128-byte text field: the bytes as given (NUL-terminated when shorter)."""
    return (value + b"\0" * 128)[:128]


def record(name=b"LARKSPUR", flags=None, gpio0=0, gpio1=0, prefix0=b"", prefix1=b"",
           board=43, size=416, padding=b"\0\0\0") -> bytes:
    flags = DEFAULT_FLAGS if flags is None else flags
    data = struct.pack("<ii", board, size) + text(name) + bytes(flags) + padding
    data += struct.pack("<ii", gpio0, gpio1) + text(prefix0) + text(prefix1)
    assert len(data) == 416
    return data


def seeds():
    yield "defaults", record()
    yield "all_components", record(flags=[1] * 13)
    yield "no_components", record(flags=[0] * 13)
    yield "flags_nonzero_bytes", record(flags=[0xFF, 2, 0x80] + [7] * 10, padding=b"\xAA\xBB\xCC")
    yield "header_fields_other", record(board=-1, size=0)
    for card in CARDS:
        yield f"gpio0_card{card}", record(gpio0=card)
        yield f"gpio1_card{card}", record(gpio1=card)
    yield "gpio_default_pair", record(gpio0=1, gpio1=1)
    yield "largest", record(flags=[1] * 13, gpio0=13, gpio1=68, prefix0=b"LCD_", prefix1=b"RF_")
    yield "same_card_prefixes", record(gpio0=68, gpio1=68, prefix0=b"A_", prefix1=b"B_")
    yield "prefix_clash", record(gpio0=68, gpio1=68, prefix0=b"A_", prefix1=b"A_")
    yield "prefix_case", record(gpio0=69, gpio1=69, prefix0=b"A_", prefix1=b"a_")
    yield "prefix_one_bracket", record(gpio0=1, prefix0=b"X[")
    yield "prefix_reversed_brackets", record(gpio0=12, prefix0=b"A]B[")
    yield "prefix_bus_index", record(gpio0=13, prefix0=b"X[3]")
    yield "prefix_digit_first", record(gpio0=1, prefix0=b"1A_")
    yield "prefix_space", record(gpio0=55, prefix0=b"A B")
    yield "prefix_127", record(gpio0=63, prefix0=b"P" * 127)
    yield "prefix_no_nul", record(gpio1=66, prefix1=b"Q" * 128)
    yield "prefix_utf8", record(gpio0=67, prefix0="Ü_".encode())
    yield "prefix_port_clash", record(flags=[1] * 13, gpio0=1, prefix0=b"HDMI_")
    yield "prefix_makes_led", record(flags=[1] * 13, gpio0=76, prefix0=b"LED")
    yield "text_after_nul", record(name=b"TOP\0garbage", prefix0=b"A_\0\xFF\xFF", gpio0=1)
    yield "name_empty", record(name=b"")
    yield "name_keyword", record(name=b"module")
    yield "name_no_nul", record(name=b"N" * 128)
    yield "name_path", record(name=b"../x")
    yield "unknown_cards", record(gpio0=99, gpio1=-1)
    yield "unoffered_card", record(gpio0=2, gpio1=88)
    yield "card_max", record(gpio0=0x7FFFFFFF, gpio1=-0x80000000)


def qsf_seeds():
    yield "hostile_brackets", b"[" * 20000 + b"]" * 20000 + b"\n"
    yield "hostile_array_indices", b"set_global_assignment -name X " + b"$a(" * 13000 + b"\n"
    yield "hostile_quoted_brackets", b"set_global_assignment -name X " + b'"[' * 20000 + b"\n"
    yield "hostile_empty", b""
    yield "hostile_utf16", "set_location_assignment PIN_V16 -to CLOCK1_50\r\n".encode("utf-16")
    yield "hostile_cr_only", (b"set_global_assignment -name FAMILY \"Agilex 5\"\r"
                              b"set_location_assignment PIN_V16 -to CLOCK1_50\r")


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.iterdir():
        old.unlink()
    for name, data in seeds():
        (OUT / f"{name}.cfg").write_bytes(data)
    (OUT / "size_0.cfg").write_bytes(b"")
    (OUT / "size_415.cfg").write_bytes(record()[:415])
    (OUT / "size_417.cfg").write_bytes(record() + b"\0")
    QSF_OUT.mkdir(parents=True, exist_ok=True)
    for old in QSF_OUT.glob("hostile_*"):
        old.unlink()
    for name, data in qsf_seeds():
        (QSF_OUT / f"{name}.qsf").write_bytes(data)


if __name__ == "__main__":
    main()
