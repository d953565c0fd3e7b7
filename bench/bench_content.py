"""File contents that look like a driver package's, for the benchmarks.

Deterministic for a given seed. Three kinds, as driver packages hold them:
- INF text: sections, model lines with hardware ids, a string table;
- PE images: valid PE32+ headers, then code-like bytes (a skewed alphabet),
  zero padding, near-copies of earlier blocks and UTF-16 string tables, so that
  they compress about as real driver binaries do;
- already-compressed data (cabinets, firmware archives): incompressible bytes.
Every generator writes in blocks, so no file is built whole in memory.
"""
import random
import struct

BLOCK = 1 << 16


def _skewed_table(rng):
    """Maps a uniform byte to a byte of a skewed 'opcode' distribution."""
    weights = [1.0 / (1 + i) ** 1.2 for i in range(256)]
    total = sum(weights)
    bounds, acc = [], 0.0
    for w in weights:
        acc += w
        bounds.append(acc / total)
    order = list(range(256))
    rng.shuffle(order)
    table, k = bytearray(256), 0
    for u in range(256):
        while bounds[k] < (u + 0.5) / 256:
            k += 1
        table[u] = order[k]
    return bytes(table)


class Content:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.code_table = _skewed_table(self.rng)
        self.words = ["Device", "Driver", "Service", "Install", "Filter", "Audio", "Display", "Network", "Port",
                      "Controller", "Sensor", "Bus", "Hub", "Root", "Virtual", "Codec", "Adapter", "Bridge"]

    # ---- INF text ----
    def _inf_lines(self, name):
        r = self.rng
        yield "; %s - generated driver setup information\r\n" % name
        yield ('[Version]\r\nSignature="$WINDOWS NT$"\r\nClass=System\r\n'
               "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=%ProviderName%\r\n\r\n")
        yield "[Manufacturer]\r\n%ProviderName%=Models,NTamd64\r\n\r\n[Models.NTamd64]\r\n"
        n = 0
        while True:
            n += 1
            ven, dev, sub = r.randrange(0x10000), r.randrange(0x10000), r.getrandbits(32)
            yield "%%Dev%05d.DeviceDesc%% = Install_%d, PCI\\VEN_%04X&DEV_%04X&SUBSYS_%08X\r\n" % (
                n, n % 7, ven, dev, sub)
            if n % 5 == 0:
                yield 'Dev%05d.DeviceDesc = "%s %s %s %d"\r\n' % (
                    n, r.choice(self.words), r.choice(self.words), r.choice(self.words), r.randrange(100000))
            if n % 11 == 0:
                yield "HKR,,%s%d,0x%08X,%d\r\nCopyFiles=Files_%d\r\n" % (
                    r.choice(self.words), n, r.getrandbits(32), r.randrange(1 << 20), n % 3)

    def inf(self, out, size, name):
        pending, written = [], 0
        for line in self._inf_lines(name):
            pending.append(line)
            if sum(map(len, pending)) >= BLOCK or written + sum(map(len, pending)) >= size:
                data = "".join(pending).encode("ascii")[: size - written]
                out.write(data)
                written += len(data)
                pending = []
                if written >= size:
                    return

    # ---- PE images ----
    @staticmethod
    def pe_headers(size, dll):
        """Headers of a PE32+ image with one section covering the rest of the file."""
        dos = bytearray(0x40)
        dos[0:2] = b"MZ"
        struct.pack_into("<I", dos, 0x3C, 0x40)
        coff = struct.pack("<HHIIIHH", 0x8664, 1, 0, 0, 0, 0xF0, 0x0022 | (0x2000 if dll else 0))
        raw = max(0, size - 0x200) & ~0x1FF
        opt = struct.pack("<HBBIIIII", 0x20B, 14, 0, raw, 0, 0, 0x1000, 0x1000)
        opt += struct.pack("<QII", 0x140000000, 0x1000, 0x200)
        opt += struct.pack("<HHHHHHI", 6, 0, 0, 0, 6, 0, 0)
        opt += struct.pack("<IIIHH", 0x1000 + raw + 0x1000, 0x200, 0, 3 if dll else 1, 0x0160)
        opt += struct.pack("<QQQQII", 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
        opt += bytes(16 * 8)
        section = struct.pack("<8sIIIIIIHHI", b".text", raw, 0x1000, raw, 0x200, 0, 0, 0, 0, 0x60000020)
        headers = bytes(dos) + b"PE\0\0" + coff + opt + section
        return headers + bytes(0x200 - len(headers))

    def _pe_piece(self, recent):
        r = self.rng
        n = r.choice((1024, 2048, 4096, 8192))
        kind = r.random()
        if kind < 0.40:  # code
            return r.randbytes(n).translate(self.code_table)
        if kind < 0.60:  # section padding
            return bytes(n)
        if kind < 0.85 and recent:  # a near-copy: repeated routines, relocated tables
            piece = bytearray(r.choice(recent))
            for _ in range(4):
                piece[r.randrange(len(piece))] = r.randrange(256)
            return bytes(piece)
        if kind < 0.93:  # UTF-16 resource strings
            text = " ".join(r.choice(self.words) for _ in range(n // 14))
            return text.encode("utf-16-le")
        return r.randbytes(n)  # embedded compressed resources

    def pe(self, out, size, dll):
        head = self.pe_headers(size, dll)[:size]
        out.write(head)
        written, recent = len(head), []
        while written < size:
            piece = self._pe_piece(recent)[: size - written]
            recent.append(piece)
            if len(recent) > 32:
                recent.pop(0)
            out.write(piece)
            written += len(piece)

    # ---- already compressed ----
    def compressed(self, out, size):
        written = 0
        while written < size:
            n = min(BLOCK, size - written)
            out.write(self.rng.randbytes(n))
            written += n


def write_file(content, path, size):
    """Writes a file whose kind follows its extension."""
    lower = path.lower()
    with open(path, "wb") as out:
        if lower.endswith(".inf") or lower.endswith(".txt") or lower.endswith(".ini"):
            content.inf(out, size, path.rsplit("/", 1)[-1])
        elif lower.endswith((".sys", ".dll", ".exe")):
            content.pe(out, size, not lower.endswith(".sys"))
        elif lower.endswith(".pnf"):
            content.inf(out, size, "precompiled")
        else:
            content.compressed(out, size)
