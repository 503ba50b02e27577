#!/usr/bin/env python3
"""Draws the installer window's backdrop, resources/fondo.jpg (582 x 477,
the size of the picture inside the window's border), with ImageMagick.

Layout, in picture coordinates (the window places the picture at 2,2):
  - a deep blue gradient with a soft light from the upper left;
  - the product block on the left: the "K" mark, "Contabilidad" and "Kavo";
  - a faint ledger grid and a rising bar chart behind the release labels
    (top right), which the window writes in white over the picture;
  - a darker band at the bottom left for the vendor's contact lines;
  - the page host area (right, 231..571 x 176..421) stays plain: the wizard
    pages cover it.
Run it again after changing anything here and commit both files.
"""
import subprocess
import sys
from pathlib import Path

W, H = 582, 477
out = Path(__file__).with_name("fondo.jpg")

draw = ["-fill", "none"]
# Ledger grid behind the upper right.
for y in range(60, 176, 12):
    draw += ["-stroke", "rgba(255,255,255,0.06)", "-draw", f"line 190,{y} 575,{y}"]
for x in range(190, 580, 40):
    draw += ["-stroke", "rgba(255,255,255,0.05)", "-draw", f"line {x},60 {x},170"]
# Rising bars of a chart, very faint.
for i, h in enumerate([18, 26, 22, 34, 41, 38, 52, 61]):
    x = 206 + i * 44
    draw += ["-stroke", "none", "-fill", "rgba(120,190,255,0.10)",
             "-draw", f"rectangle {x},{170 - h} {x + 26},170"]
# Trend line over the bars.
pts = " ".join(f"{219 + i * 44},{166 - h}" for i, h in
               enumerate([24, 30, 27, 40, 47, 44, 58, 68]))
draw += ["-fill", "none", "-stroke", "rgba(150,215,255,0.35)", "-strokewidth", "2",
         "-draw", f"polyline {pts}"]
# The product mark: a rounded square with a K.
draw += ["-strokewidth", "1", "-stroke", "rgba(255,255,255,0.85)", "-fill", "#1f6fd1",
         "-draw", "roundrectangle 22,30 92,100 12,12"]
draw += ["-stroke", "none", "-fill", "white", "-font", "Helvetica-Bold", "-pointsize", "58",
         "-draw", "text 36,88 'K'"]
draw += ["-fill", "white", "-font", "Helvetica-Bold", "-pointsize", "22",
         "-draw", "text 22,132 'Contabilidad'"]
draw += ["-fill", "#8cc8ff", "-font", "Helvetica-Bold", "-pointsize", "34",
         "-draw", "text 22,168 'Kavo'"]
draw += ["-fill", "rgba(255,255,255,0.75)", "-font", "Helvetica", "-pointsize", "11",
         "-draw", "text 22,190 'Gestión contable para empresas'",
         "-draw", "text 22,205 'y asesorías'"]
# Accent line under the product block.
draw += ["-stroke", "#3d8ef0", "-strokewidth", "3", "-draw", "line 22,218 190,218"]
# Bottom band for the contact lines and the updater's version.
draw += ["-stroke", "none", "-fill", "rgba(0,0,0,0.28)", "-draw", "rectangle 0,362 200,477"]
draw += ["-stroke", "rgba(255,255,255,0.25)", "-strokewidth", "1", "-draw", "line 12,432 188,432"]
# Plain host for the pages (covered at run time), with a thin frame.
draw += ["-stroke", "rgba(255,255,255,0.35)", "-fill", "rgba(255,255,255,0.08)",
         "-draw", "rectangle 229,174 573,423"]

cmd = ["convert", "-size", f"{W}x{H}", "gradient:#0f3d7a-#061a36",
       "(", "-size", "900x900", "radial-gradient:rgba(90,160,255,0.40)-none", ")",
       "-geometry", "-450-450", "-composite"] + draw + \
      ["-quality", "88", "-sampling-factor", "4:2:0", "-strip", str(out)]
subprocess.run(cmd, check=True)
print(out)
