#!/usr/bin/env python3
"""Draws the 20 pictures of the in-house image list (16 x 16, 24-bit BMP).

Every picture has a fuchsia background, and its bottom-left pixel is always
background: the image list takes that pixel's colour as the transparent one.
One palette and one 1-pixel outline style keep the set consistent.

    python3 dibujar.py            # writes the .bmp files beside this script
"""
import math
import os
import struct

W = H = 16
FONDO = (255, 0, 255)

# Palette.
NEGRO = (32, 32, 32)
GRIS_OSCURO = (96, 96, 96)
GRIS = (150, 150, 150)
GRIS_CLARO = (200, 200, 200)
BLANCO = (255, 255, 255)
AZUL = (30, 90, 200)
AZUL_CLARO = (110, 160, 240)
ROJO = (200, 40, 40)
ROJO_OSCURO = (140, 20, 20)
VERDE = (40, 160, 60)
VERDE_OSCURO = (20, 100, 35)
AMARILLO = (235, 190, 60)
MARRON = (150, 100, 50)


class Lienzo:
    def __init__(self):
        self.px = [[FONDO] * W for _ in range(H)]

    def punto(self, x, y, c):
        if 0 <= x < W and 0 <= y < H:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, relleno=None, borde=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                en_borde = x in (x0, x1) or y in (y0, y1)
                c = borde if en_borde and borde else relleno
                if c:
                    self.punto(x, y, c)

    def linea(self, x0, y0, x1, y1, c, grueso=1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x = round(x0 + (x1 - x0) * i / n)
            y = round(y0 + (y1 - y0) * i / n)
            for dx in range(grueso):
                for dy in range(grueso):
                    self.punto(x + dx, y + dy, c)

    def circulo(self, cx, cy, r, relleno=None, borde=None):
        for y in range(H):
            for x in range(W):
                d = math.hypot(x - cx, y - cy)
                if borde and r - 0.5 <= d <= r + 0.5:
                    self.punto(x, y, borde)
                elif relleno and d < r - 0.5:
                    self.punto(x, y, relleno)

    def poligono(self, puntos, c):
        """Fills a convex polygon (point-in-polygon on pixel centres)."""
        for y in range(H):
            for x in range(W):
                if dentro(puntos, x + 0.5, y + 0.5):
                    self.punto(x, y, c)

    def desplazado(self, dx, dy):
        nuevo = Lienzo()
        for y in range(H):
            for x in range(W):
                if self.px[y][x] != FONDO:
                    nuevo.punto(x + dx, y + dy, self.px[y][x])
        return nuevo

    def bmp(self):
        fila = W * 3
        relleno = (4 - fila % 4) % 4
        datos = b""
        for y in range(H - 1, -1, -1):  # bottom-up rows
            for (r, g, b) in self.px[y]:
                datos += bytes((b, g, r))
            datos += b"\0" * relleno
        cabecera = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(datos), 2835, 2835, 0, 0)
        fichero = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(datos), 0, 0, 14 + 40)
        return fichero + cabecera + datos


def dentro(puntos, x, y):
    signo = 0
    for i in range(len(puntos)):
        (x0, y0), (x1, y1) = puntos[i], puntos[(i + 1) % len(puntos)]
        cruz = (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0)
        if cruz != 0:
            if signo == 0:
                signo = 1 if cruz > 0 else -1
            elif (cruz > 0) != (signo > 0):
                return False
    return True


def puntos_suspensivos(color, dx=0, dy=0):
    """The "..." of an edit's side button: Normal, Pressed, Hot, Disabled."""
    c = Lienzo()
    for x in (3, 7, 11):
        c.rect(x + dx, 10 + dy, x + 1 + dx, 11 + dy, relleno=color)
    return c


def calendario(cabecera, rejilla=GRIS, dx=0, dy=0, hoy=None):
    c = Lienzo()
    c.rect(1 + dx, 2 + dy, 14 + dx, 14 + dy, relleno=BLANCO, borde=NEGRO)
    c.rect(1 + dx, 2 + dy, 14 + dx, 5 + dy, relleno=cabecera, borde=NEGRO)
    for x in (4, 8, 12):  # rings
        c.linea(x + dx - 1, 1 + dy, x + dx - 1, 3 + dy, GRIS_OSCURO)
    for y in (8, 11):
        for x in range(3, 13, 3):
            c.rect(x + dx, y + dy, x + 1 + dx, y + 1 + dy, relleno=rejilla)
    if hoy:
        c.rect(9 + dx, 11 + dy, 10 + dx, 12 + dy, relleno=hoy)
    return c


def detener():
    c = Lienzo()
    c.rect(3, 3, 12, 12, relleno=ROJO, borde=ROJO_OSCURO)
    return c


def continuar():
    c = Lienzo()
    c.poligono([(4, 2), (13, 8), (4, 14)], VERDE)
    c.linea(4, 2, 4, 13, VERDE_OSCURO)
    return c


def cancelar():
    c = Lienzo()
    c.circulo(7.5, 7.5, 6.5, relleno=ROJO, borde=ROJO_OSCURO)
    c.linea(5, 5, 10, 10, BLANCO, 2)
    c.linea(10, 5, 5, 10, BLANCO, 2)
    return c


def ojo(pupila, dx=0, dy=0):
    c = Lienzo()
    c.poligono([(1 + dx, 8 + dy), (5 + dx, 4 + dy), (11 + dx, 4 + dy), (15 + dx, 8 + dy),
                (11 + dx, 12 + dy), (5 + dx, 12 + dy)], BLANCO)
    c.linea(1 + dx, 8 + dy, 5 + dx, 4 + dy, NEGRO)
    c.linea(5 + dx, 4 + dy, 10 + dx, 4 + dy, NEGRO)
    c.linea(10 + dx, 4 + dy, 14 + dx, 8 + dy, NEGRO)
    c.linea(1 + dx, 8 + dy, 5 + dx, 12 + dy, NEGRO)
    c.linea(5 + dx, 12 + dy, 10 + dx, 12 + dy, NEGRO)
    c.linea(10 + dx, 12 + dy, 14 + dx, 8 + dy, NEGRO)
    c.circulo(7.5 + dx, 8 + dy, 2.5, relleno=pupila, borde=pupila)
    c.punto(7 + dx, 7 + dy, BLANCO)
    return c


def pregunta():
    c = Lienzo()
    c.circulo(7.5, 7.5, 6.5, relleno=AZUL, borde=AZUL)
    for x, y in [(6, 4), (7, 3), (8, 3), (9, 4), (10, 5), (9, 6), (8, 7), (7, 8), (7, 9)]:
        c.punto(x, y, BLANCO)
        c.punto(x + 1, y, BLANCO) if (x, y) in [(7, 3), (7, 8), (7, 9)] else None
    c.rect(7, 11, 8, 12, relleno=BLANCO)
    return c


def reloj():
    c = Lienzo()
    c.circulo(7.5, 7.5, 6.5, relleno=BLANCO, borde=NEGRO)
    c.linea(7, 7, 7, 3, NEGRO)
    c.linea(8, 8, 11, 8, AZUL)
    c.rect(7, 7, 8, 8, relleno=ROJO)
    return c


def deshacer():
    c = Lienzo()
    for grados in range(-90, 181, 6):
        a = math.radians(grados)
        c.punto(round(8 + 4.5 * math.cos(a)), round(9 - 4.5 * math.sin(a)), AZUL)
        c.punto(round(8 + 3.5 * math.cos(a)), round(9 - 3.5 * math.sin(a)), AZUL)
    c.poligono([(1, 6), (7, 6), (4, 10)], AZUL)  # arrow head pointing down-left
    return c


def cortar():
    c = Lienzo()
    c.linea(4, 1, 10, 9, GRIS_OSCURO)
    c.linea(11, 1, 5, 9, GRIS_OSCURO)
    c.circulo(4, 12, 2.5, borde=ROJO)
    c.circulo(11, 12, 2.5, borde=ROJO)
    return c


def hoja(c, x0, y0, x1, y1):
    c.rect(x0, y0, x1, y1, relleno=BLANCO, borde=GRIS_OSCURO)
    for y in range(y0 + 2, y1 - 1, 2):
        c.linea(x0 + 2, y, x1 - 2, y, AZUL_CLARO)


def copiar():
    c = Lienzo()
    hoja(c, 1, 1, 9, 11)
    hoja(c, 6, 4, 14, 14)
    return c


def pegar():
    c = Lienzo()
    c.rect(1, 2, 11, 14, relleno=MARRON, borde=NEGRO)
    c.rect(4, 1, 8, 3, relleno=GRIS_CLARO, borde=NEGRO)
    hoja(c, 6, 6, 14, 14)
    return c


def grises(lienzo):
    """Disabled variant drawn as such (the resource itself, not the list's copy)."""
    for y in range(H):
        for x in range(W):
            r, g, b = lienzo.px[y][x]
            if (r, g, b) != FONDO:
                v = 120 + (r * 30 + g * 59 + b * 11) // 100 // 2
                lienzo.px[y][x] = (v, v, v)
    return lienzo


# Order and names of the image list (index = position).
IMAGENES = [
    ("_EDITSBF2N_", lambda: puntos_suspensivos(NEGRO)),
    ("_EDITSBF2P_", lambda: puntos_suspensivos(NEGRO, 1, 1)),
    ("_EDITSBF2H_", lambda: puntos_suspensivos(AZUL)),
    ("_EDITSBF2D_", lambda: puntos_suspensivos(GRIS)),
    ("_DETENER_", detener),
    ("_CONTINUAR_", continuar),
    ("_CANCELAR_", cancelar),
    ("_FECHAN_", lambda: calendario(ROJO)),
    ("_FECHAP_", lambda: calendario(ROJO_OSCURO, dx=1, dy=1)),
    ("_FECHAH_", lambda: calendario(AZUL)),
    ("_FECHAD_", lambda: grises(calendario(ROJO))),
    ("_VERPASSN_", lambda: ojo(NEGRO)),
    ("_VERPASSP_", lambda: ojo(AZUL, 0, 1)),
    ("_EDITPOPUPQUEESESTO_", pregunta),
    ("_EDITPOPUPFECHASISTEMA_", lambda: calendario(VERDE, hoy=ROJO)),
    ("_EDITPOPUPHORASISTEMA_", reloj),
    ("_EDITPOPUPDESHACER_", deshacer),
    ("_EDITPOPUPCORTAR_", cortar),
    ("_EDITPOPUPCOPIAR_", copiar),
    ("_EDITPOPUPPEGAR_", pegar),
]


def nombre_fichero(recurso):
    return recurso.strip("_").lower() + ".bmp"


def main():
    aqui = os.path.dirname(os.path.abspath(__file__))
    rc = ["// The pictures of the in-house image list; drawn by dibujar.py.\n"]
    for recurso, dibujo in IMAGENES:
        lienzo = dibujo()
        lienzo.px[H - 1][0] = FONDO  # the transparent colour is read from here
        with open(os.path.join(aqui, nombre_fichero(recurso)), "wb") as f:
            f.write(lienzo.bmp())
        rc.append('%s BITMAP "%s"\n' % (recurso, nombre_fichero(recurso)))
    with open(os.path.join(aqui, "KavoIMG.rc"), "w") as f:
        f.writelines(rc)


if __name__ == "__main__":
    main()
