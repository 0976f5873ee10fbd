"""Pictures of a window on an Xvfb started with a screen folder
(sessions.x_server(screen_dir)): Xvfb keeps its screen in that folder as an
XWD file, so a picture is a read of that file, as the screen is at that
moment, with no screenshot tool.
"""

import os
import struct

# The header's first twenty fields, big-endian, as X's xwd writes them.
HEADER = struct.Struct(">20I")
XWD_COLOUR_SIZE = 12


class Picture:
    """The rectangle `area` (left, top, width, height) of the screen kept in
    `screen_dir`: pixels as (red, green, blue), rows as bytes to compare."""

    def __init__(self, screen_dir, area):
        with open(os.path.join(screen_dir, "Xvfb_screen0"), "rb") as screen:
            data = screen.read()
        fields = HEADER.unpack_from(data)
        header_size, byte_order, bits_per_pixel, bytes_per_line = (
            fields[0], fields[7], fields[11], fields[12])
        masks, colours = fields[14:17], fields[19]
        # Xvfb's 24-bit screen: 32 bits a pixel, least significant byte
        # first, so each pixel's bytes are blue, green, red, unused.
        if (byte_order, bits_per_pixel, masks) != (0, 32, (0xFF0000, 0xFF00, 0xFF)):
            raise ValueError(f"an XWD screen of another layout: {fields}")
        left, top, self.width, self.height = area
        first = header_size + XWD_COLOUR_SIZE * colours + left * 4
        starts = [first + (top + y) * bytes_per_line for y in range(self.height)]
        self.rows = [data[start:start + self.width * 4] for start in starts]

    def pixel(self, x, y):
        blue, green, red = self.rows[y][x * 4:x * 4 + 3]
        return red, green, blue

    def part(self, left, top, width, height):
        """The rectangle's pixels, to compare with the same rectangle of
        another picture."""
        return b"".join(row[left * 4:(left + width) * 4] for row in self.rows[top:top + height])

    def ppm(self):
        """The picture as a binary PPM file's contents."""
        body = bytearray()
        for row in self.rows:
            rgb = bytearray(self.width * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
            body += rgb
        return f"P6\n{self.width} {self.height}\n255\n".encode() + bytes(body)
