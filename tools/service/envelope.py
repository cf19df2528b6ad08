"""The service side of the message envelope: zlib stream, zero padding to the block size,
AES-128-CBC under the fixed key and vector. Written apart from the program's code so that a
fault on one side is not mirrored on the other."""

import zlib

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

KEY = bytes.fromhex("3c9e17a4f0b25d86e4a1c73f09b6d258")
IV = bytes.fromhex("a57d0e3b96c4f12870be5d19c3a6482f")
BLOCK = 16


def _pad(data):
    rest = len(data) % BLOCK
    return data if rest == 0 else data + b"\0" * (BLOCK - rest)


def seal(text):
    """Document bytes -> envelope bytes."""
    if not text:
        raise ValueError("empty document")
    encryptor = Cipher(algorithms.AES(KEY), modes.CBC(IV)).encryptor()
    return encryptor.update(_pad(zlib.compress(text))) + encryptor.finalize()


def open_envelope(data):
    """Envelope bytes -> document bytes; raises ValueError when it does not open."""
    if not data:
        raise ValueError("empty envelope")
    decryptor = Cipher(algorithms.AES(KEY), modes.CBC(IV)).decryptor()
    plain = decryptor.update(_pad(data)) + decryptor.finalize()
    inflater = zlib.decompressobj()
    try:
        out = inflater.decompress(plain)
    except zlib.error as e:
        raise ValueError("not a zlib stream: %s" % e)
    if not inflater.eof:
        raise ValueError("zlib stream cut short")
    return out


if __name__ == "__main__":
    # Command-line use by tests: seal or open stdin into stdout.
    import sys

    data = sys.stdin.buffer.read()
    if len(sys.argv) > 1 and sys.argv[1] == "open":
        sys.stdout.buffer.write(open_envelope(data))
    else:
        sys.stdout.buffer.write(seal(data))
