#!/usr/bin/env python3
"""Draws the menu's button pictures (24 x 24 PNG) with plain shapes.

Run from this folder: python3 icons.py. Each icon is drawn at four times its
size and averaged down, which smooths the edges.
"""
import math
import struct
import zlib

S = 24
K = 4  # supersampling
INK = (52, 73, 94)
ACCENT = (41, 128, 185)
RED = (192, 57, 43)


class Canvas:
    def __init__(self):
        self.n = S * K
        self.px = [[None] * self.n for _ in range(self.n)]

    def _set(self, x, y, c):
        if 0 <= x < self.n and 0 <= y < self.n:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(int(y0 * K), int(y1 * K)):
            for x in range(int(x0 * K), int(x1 * K)):
                self._set(x, y, c)

    def circle(self, cx, cy, r, c, inner=0.0):
        for y in range(self.n):
            for x in range(self.n):
                d = math.hypot((x + 0.5) / K - cx, (y + 0.5) / K - cy)
                if inner <= d <= r:
                    self._set(x, y, c)

    def line(self, x0, y0, x1, y1, w, c):
        for y in range(self.n):
            for x in range(self.n):
                px, py = (x + 0.5) / K, (y + 0.5) / K
                dx, dy = x1 - x0, y1 - y0
                t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy)))
                if math.hypot(px - (x0 + t * dx), py - (y0 + t * dy)) <= w / 2:
                    self._set(x, y, c)

    def png(self):
        rows = []
        for y in range(S):
            row = bytearray([0])
            for x in range(S):
                acc = [0, 0, 0, 0]
                for sy in range(K):
                    for sx in range(K):
                        c = self.px[y * K + sy][x * K + sx]
                        if c:
                            acc[0] += c[0]
                            acc[1] += c[1]
                            acc[2] += c[2]
                            acc[3] += 1
                a = acc[3]
                if a:
                    row += bytes([acc[0] // a, acc[1] // a, acc[2] // a, a * 255 // (K * K)])
                else:
                    row += bytes([0, 0, 0, 0])
            rows.append(bytes(row))
        raw = b"".join(rows)

        def chunk(t, d):
            return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))

        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", S, S, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon(name, draw):
    c = Canvas()
    draw(c)
    with open(f"menu_{name}.png", "wb") as f:
        f.write(c.png())


def recolher(c):
    for y in (6, 11, 16):
        c.rect(4, y, 20, y + 2.5, INK)


def fechar(c):
    c.rect(4, 3, 14, 5, INK)
    c.rect(4, 3, 6, 21, INK)
    c.rect(4, 19, 14, 21, INK)
    c.line(9, 12, 20, 12, 2.5, RED)
    c.line(16, 8, 20, 12, 2.5, RED)
    c.line(16, 16, 20, 12, 2.5, RED)


def user(c):
    c.circle(12, 8, 4.5, INK)
    c.circle(12, 22, 9, INK)
    c.rect(0, 22, 24, 24, None)


def solicitacoes(c):
    c.rect(5, 4, 19, 22, INK)
    c.rect(7, 6, 17, 20, (255, 255, 255))
    c.rect(9, 2, 15, 6, ACCENT)
    for y in (9, 13, 17):
        c.rect(9, y, 15, y + 1.5, INK)


def gerenciamento(c):
    for y in (5, 11, 17):
        c.rect(3, y, 6, y + 3, ACCENT)
        c.rect(8, y + 0.5, 21, y + 2.5, INK)


def relatorio(c):
    c.rect(3, 20, 21, 22, INK)
    c.rect(5, 12, 8, 20, ACCENT)
    c.rect(10, 7, 13, 20, ACCENT)
    c.rect(15, 14, 18, 20, ACCENT)


def usuarios(c):
    c.circle(8, 8, 3.5, INK)
    c.circle(16, 8, 3.5, ACCENT)
    c.circle(8, 20, 7, INK)
    c.circle(16, 20, 7, ACCENT)
    c.rect(0, 20, 24, 24, None)


def cad_usuarios(c):
    user(c)
    c.rect(16, 13, 18, 21, ACCENT)
    c.rect(13, 16, 21, 18, ACCENT)


def tipos_usuario(c):
    c.circle(9, 8, 4, INK)
    c.circle(9, 21, 8, INK)
    c.rect(0, 21, 24, 24, None)
    c.circle(18, 16, 4, ACCENT)


def cadastros(c):
    c.rect(3, 6, 10, 8, INK)
    c.rect(3, 8, 21, 19, INK)
    c.rect(5, 10, 19, 17, ACCENT)


def prefeitura(c):
    c.line(3, 9, 12, 3, 2, INK)
    c.line(12, 3, 21, 9, 2, INK)
    c.rect(3, 9, 21, 11, INK)
    for x in (5, 9.5, 14, 18.5):
        c.rect(x, 11, x + 1.5, 18, ACCENT)
    c.rect(3, 18, 21, 21, INK)


def unidades(c):
    c.rect(9, 3, 15, 8, INK)
    c.rect(11.3, 8, 12.7, 12, INK)
    c.rect(5, 11, 19, 12.5, INK)
    for x in (3, 10, 17):
        c.rect(x + 1.3, 12, x + 2.7, 15, INK)
        c.rect(x, 15, x + 4, 20, ACCENT)


def tipos_unidade(c):
    c.line(4, 4, 13, 4, 2, INK)
    c.line(4, 4, 4, 13, 2, INK)
    c.line(4, 13, 13, 21, 2, INK)
    c.line(13, 21, 21, 13, 2, INK)
    c.line(21, 13, 13, 4, 2, INK)
    c.circle(8, 8, 1.8, ACCENT)


def tipos_solicitacao(c):
    c.rect(4, 4, 17, 17, ACCENT)
    c.rect(7, 7, 20, 20, INK)
    c.rect(9, 9, 18, 18, (255, 255, 255))
    c.rect(11, 12, 16, 13.5, INK)
    c.rect(11, 15, 16, 16.5, INK)


def situacoes(c):
    c.rect(5, 3, 7, 22, INK)
    c.rect(7, 4, 19, 12, ACCENT)


def configuracoes(c):
    for i in range(8):
        a = i * math.pi / 4
        c.line(12, 12, 12 + 9 * math.cos(a), 12 + 9 * math.sin(a), 3.5, INK)
    c.circle(12, 12, 6.5, INK)
    c.circle(12, 12, 2.5, (255, 255, 255))


for name, draw in [("recolher", recolher), ("fechar", fechar), ("user", user),
                   ("solicitacoes", solicitacoes), ("gerenciamento", gerenciamento),
                   ("relatorio", relatorio), ("usuarios", usuarios),
                   ("cad_usuarios", cad_usuarios), ("tipos_usuario", tipos_usuario),
                   ("cadastros", cadastros), ("prefeitura", prefeitura), ("unidades", unidades),
                   ("tipos_unidade", tipos_unidade), ("tipos_solicitacao", tipos_solicitacao),
                   ("situacoes", situacoes), ("configuracoes", configuracoes)]:
    icon(name, draw)
