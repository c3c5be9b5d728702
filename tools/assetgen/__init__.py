"""The asset generator: an RGBA canvas with anti-aliased shapes, an
animated-texture sheet writer, and one module per family of sheets."""
