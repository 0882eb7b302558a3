#!/usr/bin/env python3
"""Draws the skin's images as SVG and rasterises them to PNG with skelmora-render.

Usage: make_images.py /path/to/skelmora-render
Writes the SVG sources under skin/src/svg and the PNGs under skin/.
"""
import math
import os
import subprocess
import sys

SKIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SVG_DIR = os.path.join(SKIN, "src", "svg")

BG = "#14171d"
PANEL = "#1d222a"
LINE = "#2c333d"
MUTED = "#8a93a3"
TEXT = "#e6e9ef"
ACCENT = "#2ec4b6"
DANGER = "#e5484d"


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">{body}</svg>')


# Device glyphs on a 64 x 64 canvas, drawn as strokes in the given colour.
def glyph(kind, c):
    s = f'fill="none" stroke="{c}" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"'
    f = f'fill="{c}"'
    if kind == "kb_device":
        keys = "".join(f'<rect x="{14 + 8 * i}" y="26" width="5" height="5" rx="1" {f}/>' for i in range(5))
        keys += "".join(f'<rect x="{18 + 8 * i}" y="34" width="5" height="5" rx="1" {f}/>' for i in range(4))
        return f'<rect x="8" y="18" width="48" height="30" rx="5" {s}/>' + keys + f'<rect x="22" y="42" width="20" height="3" rx="1.5" {f}/>'
    if kind == "ms_device":
        return (f'<rect x="19" y="10" width="26" height="44" rx="13" {s}/>'
                f'<line x1="32" y1="10" x2="32" y2="26" {s}/><line x1="19" y1="26" x2="45" y2="26" {s}/>'
                f'<rect x="30" y="15" width="4" height="7" rx="2" {f}/>')
    if kind == "hard_mp_device":
        return (f'<rect x="8" y="16" width="48" height="34" rx="4" {s}/>'
                f'<line x1="8" y1="44" x2="56" y2="44" {s}/>'
                f'<circle cx="46" cy="28" r="3" {f}/>')
    if kind == "soft_mp_device":
        return (f'<path d="M10 18 H50 a6 6 0 0 1 6 6 V46 H16 a6 6 0 0 1 -6 -6 Z" {s}/>'
                f'<path d="M10 40 a6 6 0 0 0 6 6" {s}/><path d="M20 30 q6 -6 12 0 t12 0" {s}/>')
    if kind == "hd_device":
        return (f'<path d="M14 38 V32 a18 18 0 0 1 36 0 V38" {s}/>'
                f'<rect x="10" y="36" width="9" height="15" rx="3" {s}/>'
                f'<rect x="45" y="36" width="9" height="15" rx="3" {s}/>'
                f'<path d="M50 50 q0 6 -10 6 h-4" {s}/>')
    if kind == "hub_device":
        return (f'<rect x="22" y="8" width="20" height="30" rx="4" {s}/>'
                f'<rect x="27" y="38" width="10" height="12" rx="2" {s}/>'
                f'<path d="M24 22 q8 -8 16 0" {s}/><path d="M28 27 q4 -4 8 0" {s}/>'
                f'<line x1="32" y1="50" x2="32" y2="57" {s}/>')
    return (f'<circle cx="32" cy="32" r="22" {s}/>'
            f'<path d="M25 26 a7 7 0 1 1 10 6 q-3 2 -3 6" {s}/><circle cx="32" cy="45" r="2.2" {f}/>')


def device_icon(kind, state):
    selected = "selected" in state
    synchro = "synchro" in state
    colour = ACCENT if selected else MUTED
    body = ""
    if selected:
        body += f'<rect x="1.5" y="1.5" width="61" height="61" rx="12" fill="{ACCENT}" fill-opacity="0.12" stroke="{ACCENT}" stroke-width="2"/>'
    body += glyph(kind, colour)
    if synchro:
        body += (f'<circle cx="52" cy="52" r="10" fill="{BG}" stroke="{ACCENT}" stroke-width="2"/>'
                 f'<path d="M47 51 a5 5 0 0 1 9 -2 M57 53 a5 5 0 0 1 -9 2" fill="none" stroke="{ACCENT}" '
                 f'stroke-width="2" stroke-linecap="round"/>'
                 f'<path d="M56 46 v3.5 h-3.5 M48 58 v-3.5 h3.5" fill="none" stroke="{ACCENT}" stroke-width="2" stroke-linecap="round"/>')
    return svg(64, 64, body)


def background(variant):
    # A dark field with a soft accent glow; each variant moves and tints the glow.
    glows = {
        "background": ("#2ec4b6", 820, 80, 0.16),
        "bg_1": ("#2ec4b6", 160, 560, 0.30),
        "bg_2": ("#4f7cff", 850, 560, 0.32),
        "bg_3": ("#b45cff", 500, 40, 0.30),
        "bg_4": ("#ff8a3d", 120, 60, 0.26),
        "bg_5": ("#33d17a", 900, 320, 0.26),
        "bg_6": ("#e5484d", 500, 620, 0.26),
    }
    colour, cx, cy, alpha = glows[variant]
    lines = "".join(f'<line x1="{x}" y1="0" x2="{x - 320}" y2="640" stroke="#ffffff" stroke-opacity="0.025" stroke-width="1"/>'
                    for x in range(0, 1400, 40))
    body = (f'<defs><radialGradient id="g" cx="{cx}" cy="{cy}" r="520" gradientUnits="userSpaceOnUse">'
            f'<stop offset="0" stop-color="{colour}" stop-opacity="{alpha}"/>'
            f'<stop offset="1" stop-color="{colour}" stop-opacity="0"/></radialGradient>'
            f'<linearGradient id="b" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#181c23"/>'
            f'<stop offset="1" stop-color="#101318"/></linearGradient></defs>'
            f'<rect width="1000" height="640" fill="url(#b)"/>{lines}<rect width="1000" height="640" fill="url(#g)"/>')
    return svg(1000, 640, body)


def caption_icon(name, colour):
    s = f'fill="none" stroke="{colour}" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"'
    shapes = {
        "close": f'<path d="M11 11 L21 21 M21 11 L11 21" {s}/>',
        "min": f'<path d="M10 16 H22" {s}/>',
        "max": f'<rect x="10.5" y="10.5" width="11" height="11" rx="1.5" {s}/>',
        "restore": f'<rect x="9.5" y="12.5" width="9" height="9" rx="1.5" {s}/><path d="M13 12 V10 h9 v9 h-2" {s}/>',
        "skin": f'<path d="M10 21 l2 -8 l4 -3 l4 3 l2 8 Z" {s}/><path d="M13 13 q3 3 6 0" {s}/>',
        "set": f'<circle cx="16" cy="16" r="3.2" {s}/><path d="M16 8.5 v2.5 M16 21 v2.5 M8.5 16 h2.5 M21 16 h2.5 '
               f'M10.7 10.7 l1.8 1.8 M19.5 19.5 l1.8 1.8 M10.7 21.3 l1.8 -1.8 M19.5 12.5 l1.8 -1.8" {s}/>',
        "smarteyes": f'<path d="M8 16 q8 -9 16 0 q-8 9 -16 0 Z" {s}/><circle cx="16" cy="16" r="2.6" fill="{colour}"/>',
        "prev": f'<path d="M19 10 L13 16 L19 22" {s}/>',
        "next": f'<path d="M13 10 L19 16 L13 22" {s}/>',
    }
    return svg(32, 32, shapes[name])


def hover_plate(colour, body):
    return body.replace('viewBox="0 0 32 32">',
                        f'viewBox="0 0 32 32"><rect x="2" y="2" width="28" height="28" rx="6" fill="{colour}"/>')


def small_images():
    return {
        "common/slider_handle.png": (svg(18, 18, f'<circle cx="9" cy="9" r="7" fill="{ACCENT}" stroke="{BG}" stroke-width="2"/>'), "18x18"),
        "common/slider_handle_hot.png": (svg(18, 18, f'<circle cx="9" cy="9" r="8" fill="#5ad8cc" stroke="{BG}" stroke-width="1"/>'), "18x18"),
        "common/option_off.png": (svg(18, 18, f'<rect x="1.5" y="1.5" width="15" height="15" rx="4" fill="none" stroke="{MUTED}" stroke-width="1.6"/>'), "18x18"),
        "common/option_on.png": (svg(18, 18, f'<rect x="1" y="1" width="16" height="16" rx="4" fill="{ACCENT}"/>'
                                             f'<path d="M5 9.5 l2.8 2.8 L13.5 6" fill="none" stroke="{BG}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>'), "18x18"),
        "common/radio_off.png": (svg(18, 18, f'<circle cx="9" cy="9" r="7.2" fill="none" stroke="{MUTED}" stroke-width="1.6"/>'), "18x18"),
        "common/radio_on.png": (svg(18, 18, f'<circle cx="9" cy="9" r="7.2" fill="none" stroke="{ACCENT}" stroke-width="1.6"/>'
                                            f'<circle cx="9" cy="9" r="3.8" fill="{ACCENT}"/>'), "18x18"),
        "common/dot_alert.png": (svg(10, 10, f'<circle cx="5" cy="5" r="4.5" fill="{DANGER}"/>'), "10x10"),
        "common/combo_arrow.png": (svg(12, 12, f'<path d="M2.5 4.5 L6 8 L9.5 4.5" fill="none" stroke="{MUTED}" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>'), "12x12"),
        "common/logo.png": (svg(120, 24, f'<path d="M4 18 L12 4 L20 18 Z" fill="none" stroke="{ACCENT}" stroke-width="2.4" stroke-linejoin="round"/>'
                                         f'<circle cx="12" cy="13" r="2.4" fill="{ACCENT}"/>'
                                         f'<text x="28" y="17.5" font-family="DejaVu Sans" font-weight="bold" font-size="14" fill="{TEXT}" letter-spacing="2">SKELMORA</text>'), "120x24"),
        "common/nodevice.png": (svg(160, 120, f'<rect x="30" y="30" width="100" height="60" rx="10" fill="none" stroke="{LINE}" stroke-width="4"/>'
                                              f'<path d="M62 60 h36 M80 42 v36" stroke="{MUTED}" stroke-width="4" stroke-linecap="round" transform="rotate(45 80 60)"/>'), "160x120"),
    }


# The headset seen from its side: headband, ear cushion and the cup's plate, with the groove of
# the 13-LED ring (the page places the LED buttons on it: radius 54 around 110, 160).
def headset_picture():
    ring = "".join(
        f'<circle cx="{110 + 54 * math.sin(math.pi * (2 * i + 1) / 13):.1f}" '
        f'cy="{160 + 54 * math.cos(math.pi * (2 * i + 1) / 13):.1f}" r="7" '
        f'fill="{BG}" stroke="{LINE}" stroke-width="1.5"/>'
        for i in range(13))
    body = (
        f'<path d="M34 150 C30 -6 190 -6 186 150" fill="none" stroke="{LINE}" stroke-width="14" '
        f'stroke-linecap="round"/>'
        f'<path d="M42 140 C40 14 180 14 178 140" fill="none" stroke="{MUTED}" stroke-width="2" '
        f'stroke-dasharray="4 6"/>'
        f'<rect x="26" y="128" width="16" height="44" rx="6" fill="{LINE}"/>'
        f'<rect x="178" y="128" width="16" height="44" rx="6" fill="{LINE}"/>'
        f'<circle cx="110" cy="160" r="74" fill="{PANEL}" stroke="{LINE}" stroke-width="4"/>'
        f'<circle cx="110" cy="160" r="64" fill="#171b21" stroke="{LINE}" stroke-width="2"/>'
        f'{ring}'
        f'<circle cx="110" cy="160" r="38" fill="{PANEL}" stroke="{LINE}" stroke-width="2"/>'
        f'<path d="M94 160 L104 150 L116 162 L126 150" fill="none" stroke="{MUTED}" '
        f'stroke-width="4" stroke-linecap="round" stroke-linejoin="round"/>'
        f'<path d="M94 174 L126 174" stroke="{MUTED}" stroke-width="3" stroke-linecap="round"/>')
    return svg(220, 240, body)


def main():
    render = sys.argv[1] if len(sys.argv) > 1 else "skelmora-render"
    jobs = []
    for kind in ["kb_device", "ms_device", "hard_mp_device", "soft_mp_device", "hd_device", "hub_device", "unknow_device"]:
        for state in ["normal", "selected", "synchro_selected", "synchro_normal"]:
            jobs.append((f"common/device_ico/{kind}_{state}.png", device_icon(kind, state), "64x64"))
    for variant in ["background", "bg_1", "bg_2", "bg_3", "bg_4", "bg_5", "bg_6"]:
        target = "common/background.png" if variant == "background" else f"skin/{variant}.png"
        jobs.append((target, background(variant), "1000x640"))
    for name in ["close", "min", "max", "restore", "skin", "set", "smarteyes", "prev", "next"]:
        normal = caption_icon(name, MUTED)
        hot_colour = TEXT
        hot = hover_plate(DANGER if name == "close" else "#2a313b", caption_icon(name, hot_colour))
        jobs.append((f"common/caption/{name}.png", normal, "32x32"))
        jobs.append((f"common/caption/{name}_hot.png", hot, "32x32"))
    jobs.append(("common/headset_picture.png", headset_picture(), "220x240"))
    for target, (body, size) in small_images().items():
        jobs.append((target, body, size))
    for target, body, size in jobs:
        source = os.path.join(SVG_DIR, target.replace("/", "_").replace(".png", ".svg"))
        os.makedirs(os.path.dirname(source), exist_ok=True)
        with open(source, "w") as f:
            f.write(body)
        out = os.path.join(SKIN, target)
        os.makedirs(os.path.dirname(out), exist_ok=True)
        subprocess.run([render, "--svg", source, "--out", out, "--size", size], check=True)
    print(f"{len(jobs)} images")


if __name__ == "__main__":
    main()
