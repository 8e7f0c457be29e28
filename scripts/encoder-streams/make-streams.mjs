// Writes tests/data/encoders/*.bin: one receipt from each of two independent ESC/POS encoders, so
// the virtual printer is checked against byte streams we did not write.
//
// Run by hand once, never by the build or the tests (they read the committed .bin files):
//   mkdir /tmp/npmgen && cd /tmp/npmgen
//   npm install @point-of-sale/receipt-printer-encoder@4.0.1 receiptline@4.0.4
//   node /path/to/repo/scripts/encoder-streams/make-streams.mjs
// The packages are loaded from the current folder, so node_modules never enters the repository.
// Made with @point-of-sale/receipt-printer-encoder 4.0.1 and receiptline 4.0.4 (Node 20).
// After a change, regenerate the golden images: POSLING_REGENERATE_GOLDEN=1 virtual_tst_encodergolden.

import { createRequire } from 'node:module';
import { mkdirSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { deflateSync } from 'node:zlib';

const require = createRequire(join(process.cwd(), 'make-streams.cjs'));
const ReceiptPrinterEncoder = require('@point-of-sale/receipt-printer-encoder');
const receiptline = require('receiptline');

const outDir = process.argv[2] ?? join(dirname(fileURLToPath(import.meta.url)), '../../tests/data/encoders');
const kMaxBytes = 20 * 1024;

// 64 x 64 RGBA pictures: a checker of 8-dot squares and a ring, both pure black on white.
function picture(isBlack) {
    const size = 64;
    const data = new Uint8ClampedArray(size * size * 4);
    for (let y = 0; y < size; ++y)
        for (let x = 0; x < size; ++x) {
            const v = isBlack(x, y) ? 0 : 255;
            data.set([v, v, v, 255], (y * size + x) * 4);
        }
    return { width: size, height: size, data };
}
const checker = picture((x, y) => ((x >> 3) + (y >> 3)) % 2 === 0);
const ring = picture((x, y) => {
    const r = Math.hypot(x - 31.5, y - 31.5);
    return r < 30 && r > 18;
});

// Minimal PNG writer (8-bit greyscale) for the receiptline image property.
function crc32(bytes) {
    let crc = ~0;
    for (const b of bytes) {
        crc ^= b;
        for (let k = 0; k < 8; ++k)
            crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
    }
    return ~crc >>> 0;
}
function chunk(type, body) {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(body.length, 0);
    head.write(type, 4, 'latin1');
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])), 0);
    return Buffer.concat([head, body, tail]);
}
function png(image) {
    const ihdr = Buffer.alloc(13);
    ihdr.writeUInt32BE(image.width, 0);
    ihdr.writeUInt32BE(image.height, 4);
    ihdr.set([8, 0, 0, 0, 0], 8); // 8-bit greyscale, no interlace
    const raw = Buffer.alloc((image.width + 1) * image.height);
    for (let y = 0; y < image.height; ++y)
        for (let x = 0; x < image.width; ++x)
            raw[y * (image.width + 1) + 1 + x] = image.data[(y * image.width + x) * 4];
    return Buffer.concat([
        Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
        chunk('IHDR', ihdr),
        chunk('IDAT', deflateSync(raw)),
        chunk('IEND', Buffer.alloc(0)),
    ]);
}

function receiptPrinterEncoderStream() {
    // feedBeforeCut: four lines, as the library sets for its 80 mm models, so the cutter, which sits
    // above the print head, cuts below the last line.
    const encoder = new ReceiptPrinterEncoder({ language: 'esc-pos', columns: 48, feedBeforeCut: 4 });
    const items = [
        ['Croissant', '€ 2.50'],
        ['Café crème', '€ 3.80'],
        ["Crêpe à l'orange", '€ 6.90'],
    ];
    encoder
        .initialize()
        .codepage('auto')
        .align('center')
        .bold(true)
        .size(2, 2)
        .line('Café Example')
        .size(1, 1)
        .bold(false)
        .line("Rue de l'Église 12, Genève")
        .align('left')
        .rule()
        .table([{ width: 36 }, { width: 12, align: 'right' }], items)
        .rule({ style: 'double' })
        .bold(true)
        .table([{ width: 36 }, { width: 12, align: 'right' }], [['TOTAL', '€ 13.20']])
        .bold(false)
        .newline()
        .underline(true)
        .text('Underlined')
        .underline(false)
        .text(' and ')
        .invert(true)
        .text(' inverted ')
        .invert(false)
        .text(' text')
        .newline()
        .line('Größe ½, Ærø, señor, 100 €')
        .align('center')
        .barcode('POS-2024-0042', 'code128', { height: 60, width: 2, text: 'below' })
        .qrcode('https://example.com/r/0042', { model: 2, size: 4, errorlevel: 'm' })
        .image(checker, { width: 64, height: 64, mode: 'column' })
        .image(ring, { width: 64, height: 64, mode: 'raster' })
        .align('left')
        .line('Thank you!')
        .newline(2)
        .cut();
    return Buffer.from(encoder.encode());
}

function receiptlineStream() {
    const doc = [
        `{image:${png(ring).toString('base64')}}`,
        '^^^"Café Example"',
        "Rue de l'Église 12, Genève",
        '---',
        '{width:*,14}',
        '|Croissant | € 2.50|',
        '|Café crème | € 3.80|',
        "|Crêpe à l'orange | € 6.90|",
        '---',
        '|^"TOTAL | ^"€ 13.20|',
        '{width:auto}',
        '_Underlined_ and `~inverted~` text',
        'Größe ½, Ærø, señor, 100 €',
        '{code:POS-2024-0042; option:code128,2,60,hri}',
        '{code:https://example.com/r/0042; option:qrcode,4,m}',
        'Thank you!',
    ].join('\n');
    const printer = { cpl: 48, encoding: 'multilingual', spacing: true, cutting: true, command: 'escpos' };
    return Buffer.from(receiptline.transform(doc, printer), 'latin1');
}

mkdirSync(outDir, { recursive: true });
for (const [name, bytes] of [
    ['receipt-printer-encoder', receiptPrinterEncoderStream()],
    ['receiptline', receiptlineStream()],
]) {
    if (bytes.length > kMaxBytes)
        throw new Error(`${name}: ${bytes.length} bytes, more than ${kMaxBytes}`);
    writeFileSync(join(outDir, `${name}.bin`), bytes);
    console.log(`${name}.bin: ${bytes.length} bytes`);
}
