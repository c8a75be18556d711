// gif.cpp: the GIF decoder: header and colour tables, extensions, data blocks,
// the LZW code reader, the image's pixels (with interlacing), and LoadGif,
// which converts the palette image row by row into tiles.
#include "image/gif.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/strhack.h"
#include "image/dither.h"
#include "image/imagedata.h"
#include "image/loaders.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

namespace {

enum { maxLzwBits = 12, lzwTableSize = 1 << maxLzwBits, stackSize = 8192 };

// Reads exactly length bytes; 1 on success.
int readOK(gifSource *s, void *buffer, int length) {
  char *p = (char *)buffer;
  int got = 0;
  while (got < length) {
    int n = s->read(s->context, p + got, length - got);
    if (n <= 0) return 0;
    got += n;
  }
  return 1;
}

// The table after a clear code: the roots stand for themselves, every other
// entry is empty. It is copied in whole blocks, since data may clear the table
// every few bits.
struct clearedTables {
  int identity[lzwTableSize];
  clearedTables() {
    for (int i = 0; i < lzwTableSize; i++) identity[i] = i;
  }
};

void resetTable(gifSource *s) {
  static const clearedTables cleared;
  const int roots = s->clearCode < lzwTableSize ? s->clearCode : lzwTableSize;
  std::memset(s->table[0], 0, sizeof s->table[0]);
  std::memcpy(s->table[1], cleared.identity, sizeof(int) * (size_t)roots);
  std::memset(s->table[1] + roots, 0, sizeof(int) * (size_t)(lzwTableSize - roots));
  s->codeSize = s->setCodeSize + 1;
  s->maxCodeSize = 2 * s->clearCode;
  s->maxCode = s->clearCode + 2;
  s->sp = 0;
}

// Reads codes until one is not the clear code; it becomes the first and old
// code. The end code (or no code at all) ends the data.
int firstCodeAfterClear(gifSource *s) {
  int code;
  do {
    code = GetCode(s, s->codeSize, 0);
  } while (code == s->clearCode);
  if (code < 0 || code == s->endCode) return -2;
  s->firstCode = s->oldCode = code;
  return code;
}

// Where decoded indices go: the current row and column, the interlace pass,
// and which indices were written.
struct rowCursor {
  oldrzImagePtr im;
  unsigned char *row;
  int x, y, pass, rowsDone, width, height, interlace;
  bool finished;
};

// Moves to the next row once a row is full; rows follow in file order (every
// eighth, fourth, second row per pass when interlaced).
void nextRow(rowCursor *r) {
  static const int passStep[4] = {8, 8, 4, 2};
  static const int passStart[4] = {0, 4, 2, 1};
  r->x = 0;
  if (!loadProgress(++r->rowsDone, r->height)) {
    r->finished = true;
    return;
  }
  if (!r->interlace) {
    r->y++;
  } else {
    r->y += passStep[r->pass];
    // Passes whose first row lies below the image hold no rows.
    while (r->y >= r->height && r->pass < 3) r->y = passStart[++r->pass];
  }
  if (r->y >= r->height) r->finished = true;
  else r->row = r->im->pixels[r->y];
}

// Writes n indices from string at the cursor, across rows; stops when the
// image is full.
void putString(rowCursor *r, const unsigned char *string, int n) {
  while (n > 0 && !r->finished) {
    int room = r->width - r->x;
    int m = n < room ? n : room;
    std::memcpy(r->row + r->x, string, (size_t)m);
    r->x += m;
    string += m;
    n -= m;
    if (r->x == r->width) nextRow(r);
  }
}

// Moves the cursor of a non-interlaced image on by n indices written in place.
void advance(rowCursor *r, int n) {
  r->x += n;
  while (r->x >= r->width && !r->finished) {
    int rest = r->x - r->width;
    nextRow(r);
    r->x = rest;
  }
}

// The code reader of the image decoder: data sub-blocks are read one at a time
// and their bits kept in a 64-bit store, lowest bits first. A block that cannot
// be read whole, or the block of length 0, ends the data, as in GetCode.
struct codeReader {
  gifSource *s;
  uint64_t bits;
  int count;  // bits held
  int pos, size, ended;
  unsigned char block[256 + 8];
};

void refill(codeReader *r) {
  while (r->count <= 56) {
    if (r->pos >= r->size) {
      if (r->ended) return;
      int n = GetDataBlock(r->s, r->block);
      if (n <= 0) {
        r->ended = 1;
        return;
      }
      r->pos = 0;
      r->size = n;
    }
    if (r->size - r->pos >= 8) {
      // Eight bytes at once; only the whole bytes that fit are counted.
      uint64_t word = 0;
      for (int i = 7; i >= 0; i--) word = (word << 8) | r->block[r->pos + i];
      int take = (64 - r->count) >> 3;
      r->bits |= word << r->count;
      if (r->count + 8 * take < 64) r->bits &= (~(uint64_t)0) >> (64 - r->count - 8 * take);
      r->pos += take;
      r->count += 8 * take;
    } else {
      r->bits |= (uint64_t)r->block[r->pos++] << r->count;
      r->count += 8;
    }
  }
}

// The next code of size bits, or -1 when the data ends first.
inline int readCode(codeReader *r, int size) {
  if (r->count < size) {
    refill(r);
    if (r->count < size) return -1;
  }
  int code = (int)(r->bits & ((1u << size) - 1));
  r->bits >>= size;
  r->count -= size;
  return code;
}

// Decodes the LZW data of an image with a code size of at most 8 (so that
// every root, and hence every index the table holds, is at most 255) into the
// image. The table, the handling of odd codes (a code at or beyond the next
// free entry repeats the previous string and its first index; a string longer
// than the stack ends the data) and where decoding stops are those of
// LWZReadByte; a whole string is written at once when its length is known.
// 1 on success, 0 for an index above 255 (source->invalid is set).
int readImageSmallCodes(oldrzImagePtr im, gifSource *s, int c, int len, int height,
                        int interlace) {
  const int clear = 1 << c, end = clear + 1;
  unsigned short *prefix = s->prefix, *length = s->length;
  unsigned char *suffix = s->suffix;
  unsigned *place = s->place;
  unsigned char *const base = im->pixels[0];
  const size_t total = (size_t)len * (size_t)height;
  size_t last = 0;  // where the previous code's string starts (non-interlaced images)
  unsigned long long *packed = s->packed;
  for (int i = 0; i < lzwTableSize; i++) {
    prefix[i] = 0;
    suffix[i] = i < clear ? (unsigned char)i : 0;
    length[i] = i < clear ? 1 : 0;
    packed[i] = i < clear ? (unsigned long long)i : 0;
  }
  int codeSize = c + 1, maxCode = clear + 2, maxCodeSize = 2 * clear;
  int oldCode = 0, firstCode = 0;
  bool needFirst = true;
  unsigned char used[256];
  std::memset(used, 0, sizeof used);
  rowCursor r{im, im->pixels[0], 0, 0, 0, 0, len, height, interlace, false};
  codeReader *in = (codeReader *)std::malloc(sizeof(codeReader));
  if (!in) return 1;  // as when the data ends at once
  in->s = s;
  in->bits = 0;
  in->count = in->pos = in->size = in->ended = 0;
  int result = 1;
  while (!r.finished) {
    if (needFirst) {
      // The first code after a clear code stands for itself.
      int code;
      do {
        code = readCode(in, codeSize);
      } while (code == clear);
      if (code < 0 || code == end) break;
      if (code > 255) {
        s->invalid = 1;
        result = 0;
        break;
      }
      firstCode = oldCode = code;
      needFirst = false;
      used[code] = 1;
      last = (size_t)(r.row - base) + (size_t)r.x;
      r.row[r.x] = (unsigned char)code;
      if (++r.x >= len) nextRow(&r);
      continue;
    }
    int code = readCode(in, codeSize);
    if (code < 0 || code == end) break;
    if (code == clear) {
      // Only the entries made since the last clear code are emptied.
      for (int i = clear; i < maxCode; i++) prefix[i] = suffix[i] = 0, length[i] = 0;
      codeSize = c + 1;
      maxCode = clear + 2;
      maxCodeSize = 2 * clear;
      needFirst = true;
      continue;
    }
    const bool repeat = code >= maxCode;
    const int from = repeat ? oldCode : code;
    const int n = length[from] ? length[from] + (repeat ? 1 : 0) : 0;
    const size_t at = (size_t)(r.row - base) + (size_t)r.x;  // where this string starts
    if (n > 0 && n <= 8 && len - r.x >= 8) {
      // A short string is stored as eight bytes at once. The bytes past its
      // end are 0 and fall further on in the row, where nothing is written
      // yet: they stay at index 0 unless the strings that follow cover them.
      unsigned long long v = repeat ? packed[oldCode] | (unsigned long long)firstCode << (8 * (n - 1))
                                    : packed[code];
      unsigned char *out = r.row + r.x;
      for (int i = 0; i < 8; i++) out[i] = (unsigned char)(v >> (8 * i));
      firstCode = (int)(v & 0xff);
      used[firstCode] = 1;  // every other index of the string was a first index before
      r.x += n;
      if (r.x == len) nextRow(&r);
    } else if (n > 4 && !interlace) {
      // The rows of a non-interlaced image lie one after the other, and a
      // string of known length is already in them: the one of the previous
      // code (with its first index again at the end) or the one its entry was
      // made from (the previous code's string at that time and one index).
      size_t room = total - at, m = (size_t)n < room ? (size_t)n : room;
      if (repeat) {
        // The copy overlaps its source by the one index at the end.
        size_t head = m < (size_t)n - 1 ? m : (size_t)n - 1;
        std::memcpy(base + at, base + last, head);
        if (m == (size_t)n) base[at + n - 1] = base[last];
      } else {
        std::memcpy(base + at, base + place[code], m);
      }
      firstCode = base[at];
      used[firstCode] = 1;  // every other index of the string was a first index before
      advance(&r, (int)m);
    } else if (n > 0) {
      // The string's length is known: it is written back to front, straight
      // into the row when it fits.
      const bool direct = n <= len - r.x;
      unsigned char *out = direct ? r.row + r.x : s->string;
      unsigned char *p = out + n - 1;
      if (repeat) *p-- = (unsigned char)firstCode;
      int k = from;
      while (k >= clear) {
        *p-- = suffix[k];
        k = prefix[k];
      }
      *p = (unsigned char)k;
      firstCode = k;
      used[k] = 1;  // every other index of the string was a first index before
      if (direct) {
        r.x += n;
        if (r.x == len) nextRow(&r);
      } else {
        putString(&r, s->string, n);
      }
    } else {
      // The general walk through the table, index by index as LWZReadByte.
      int *stack = s->stack;
      int sp = 0, k = code;
      if (repeat) {
        stack[sp++] = firstCode;
        k = oldCode;
      }
      while (k >= clear && sp < stackSize) {
        stack[sp++] = suffix[k];
        k = prefix[k];
      }
      if (sp >= stackSize) break;  // a string longer than the stack ends the data
      stack[sp++] = firstCode = suffix[k];
      while (sp > 0 && !r.finished) {
        int v = stack[--sp];
        used[v] = 1;
        r.row[r.x] = (unsigned char)v;
        if (++r.x >= len) nextRow(&r);
      }
    }
    if (maxCode < lzwTableSize) {
      place[maxCode] = (unsigned)last;
      prefix[maxCode] = (unsigned short)oldCode;
      suffix[maxCode] = (unsigned char)firstCode;
      // The length is known when the prefix is an earlier entry of known length.
      length[maxCode] = (unsigned short)(oldCode < maxCode && length[oldCode] ? length[oldCode] + 1 : 0);
      if (length[maxCode] && length[maxCode] <= 8)
        packed[maxCode] = packed[oldCode] | (unsigned long long)firstCode << (8 * length[oldCode]);
      maxCode++;
      if (maxCode >= maxCodeSize && maxCodeSize < lzwTableSize) {
        maxCodeSize *= 2;
        codeSize++;
      }
    }
    oldCode = code;
    last = at;
  }
  std::free(in);
  for (int i = 0; i < 256; i++)
    if (used[i]) im->open[i] = 0;
  return result;
}

}  // namespace

oldrzImagePtr oldrzImageCreate(int sx, int sy) {
  if (sx <= 0 || sy <= 0 || (long long)sx * sy > imageDataPixelLimit) return nullptr;
  oldrzImagePtr im = (oldrzImagePtr)std::calloc(1, sizeof(oldrzImageStruct));
  if (!im) return nullptr;
  unsigned char *block = (unsigned char *)std::calloc((size_t)sx * sy, 1);
  im->pixels = (unsigned char **)std::malloc(sizeof(unsigned char *) * (size_t)sy);
  if (!block || !im->pixels) {
    std::free(block);
    std::free(im->pixels);
    std::free(im);
    return nullptr;
  }
  for (int y = 0; y < sy; y++) im->pixels[y] = block + (size_t)y * sx;
  im->sx = sx;
  im->sy = sy;
  im->transparent = -1;
  return im;
}

void oldrzImageDestroy(oldrzImagePtr im) {
  if (!im) return;
  if (im->pixels) std::free(im->pixels[0]);
  std::free(im->pixels);
  std::free(im);
}

void oldrzImageSetPixel(oldrzImagePtr im, int x, int y, int color) {
  if (x >= 0 && y >= 0 && x < im->sx && y < im->sy) im->pixels[y][x] = (unsigned char)color;
}

void oldrzImageColorTransparent(oldrzImagePtr im, int color) { im->transparent = color; }

int ReadColorMap(gifSource *source, int number, int buffer[3][256]) {
  for (int i = 0; i < number && i < 256; i++) {
    unsigned char rgb[3];
    if (!readOK(source, rgb, 3)) return 1;
    buffer[0][i] = rgb[0];
    buffer[1][i] = rgb[1];
    buffer[2][i] = rgb[2];
  }
  return 0;
}

int GetDataBlock(gifSource *source, unsigned char *buffer) {
  unsigned char count;
  if (!readOK(source, &count, 1)) return -1;
  source->zeroDataBlock = count == 0;
  if (count != 0 && !readOK(source, buffer, count)) return -1;
  return count;
}

void DoExtension(gifSource *source, int label, int *transparent) {
  unsigned char buf[256];
  if (label == 0xF9) {
    std::memset(buf, 0, sizeof buf);
    int n = GetDataBlock(source, buf);
    if (n <= 0) return;  // the block that ends the extension was read already
    if (buf[0] & 0x1) *transparent = buf[3];
  }
  while (GetDataBlock(source, buf) > 0) {
  }
}

int GetCode(gifSource *s, int code_size, int flag) {
  if (flag) {
    s->curbit = 0;
    s->lastbit = 0;
    s->lastByte = 2;
    s->done = 0;
    s->buf[0] = s->buf[1] = 0;
    return 0;
  }
  while (s->curbit + code_size > s->lastbit) {
    if (s->done) return -1;
    s->buf[0] = s->buf[s->lastByte - 2];
    s->buf[1] = s->buf[s->lastByte - 1];
    int count = GetDataBlock(s, &s->buf[2]);
    if (count <= 0) {
      count = 0;
      s->done = 1;
    }
    s->lastByte = 2 + count;
    s->curbit = (s->curbit - s->lastbit) + 16;
    s->lastbit = (2 + count) * 8;
  }
  int byte = s->curbit >> 3;
  unsigned bits = (unsigned)s->buf[byte] | ((unsigned)s->buf[byte + 1] << 8) |
                  ((unsigned)s->buf[byte + 2] << 16);
  int ret = (int)((bits >> (s->curbit & 7)) & ((1u << code_size) - 1));
  s->curbit += code_size;
  return ret;
}

int LWZReadByte(gifSource *s, int flag, int input_code_size) {
  if (flag) {
    s->setCodeSize = input_code_size;
    s->clearCode = 1 << input_code_size;
    s->endCode = s->clearCode + 1;
    resetTable(s);
    GetCode(s, 0, 1);
    s->fresh = 1;
    return 0;
  }
  if (s->fresh) {
    s->fresh = 0;
    return firstCodeAfterClear(s);
  }
  if (s->sp > 0) return s->stack[--s->sp];

  int code;
  for (;;) {
    // The common case, a whole code inside the current block, without a call.
    if (s->curbit + s->codeSize <= s->lastbit) {
      int byte = s->curbit >> 3;
      unsigned bits = (unsigned)s->buf[byte] | ((unsigned)s->buf[byte + 1] << 8) |
                      ((unsigned)s->buf[byte + 2] << 16);
      code = (int)((bits >> (s->curbit & 7)) & ((1u << s->codeSize) - 1));
      s->curbit += s->codeSize;
    } else {
      code = GetCode(s, s->codeSize, 0);
      if (code < 0) break;
    }
    if (code == s->clearCode) {
      resetTable(s);
      return firstCodeAfterClear(s);
    }
    if (code == s->endCode) {
      // The end of the data: the blocks left are skipped, and no more indices
      // follow (the bytes after the image are not pixel data).
      unsigned char buf[256];
      if (!s->zeroDataBlock)
        while (GetDataBlock(s, buf) > 0) {
        }
      s->done = 1;
      s->curbit = s->lastbit;
      return -2;
    }
    int incode = code;
    if (code >= s->maxCode) {
      if (s->sp >= stackSize) return -1;
      s->stack[s->sp++] = s->firstCode;
      code = s->oldCode;
    }
    while (code >= s->clearCode) {
      if (s->sp >= stackSize) return -1;
      s->stack[s->sp++] = s->table[1][code];
      code = s->table[0][code];
    }
    if (s->sp >= stackSize) return -1;
    s->stack[s->sp++] = s->firstCode = s->table[1][code];
    if (s->maxCode < lzwTableSize) {
      s->table[0][s->maxCode] = s->oldCode;
      s->table[1][s->maxCode] = s->firstCode;
      s->maxCode++;
      if (s->maxCode >= s->maxCodeSize && s->maxCodeSize < lzwTableSize) {
        s->maxCodeSize *= 2;
        s->codeSize++;
      }
    }
    s->oldCode = incode;
    if (s->sp > 0) return s->stack[--s->sp];
  }
  return code;
}

int ReadImage(oldrzImagePtr im, gifSource *source, int len, int height, int cmap[3][256],
              int interlace) {
  for (int i = 0; i < 256; i++) {
    im->red[i] = cmap[0][i];
    im->green[i] = cmap[1][i];
    im->blue[i] = cmap[2][i];
    im->open[i] = 1;
  }
  im->colorsTotal = 256;
  unsigned char c;
  if (!readOK(source, &c, 1)) return 1;
  if (c > 11) {
    source->invalid = 1;
    return 0;
  }
  if (c <= 8) return readImageSmallCodes(im, source, c, len, height, interlace);
  LWZReadByte(source, 1, c);

  static const int passStep[4] = {8, 8, 4, 2};
  static const int passStart[4] = {0, 4, 2, 1};
  int x = 0, y = 0, pass = 0, rowsDone = 0;
  int v;
  // The image is exactly len x height (oldrzImageCreate), so every (x, y)
  // reached here lies inside it and the row is written directly.
  unsigned char *row = im->pixels[0];
  int *open = im->open;
  bool finished = false;
  while (!finished && (v = LWZReadByte(source, 0, c)) >= 0) {
    // One call yields the first index of a code's string; the rest of the
    // string waits on the stack and is taken here without further calls,
    // exactly as the following calls would hand it over.
    for (;;) {
      if (v > 255) {
        source->invalid = 1;
        return 0;
      }
      open[v] = 0;
      row[x] = (unsigned char)v;
      if (++x >= len) {
        x = 0;
        if (!loadProgress(++rowsDone, height)) {
          finished = true;
          break;
        }
        if (!interlace) {
          y++;
        } else {
          y += passStep[pass];
          // Passes whose first row lies below the image hold no rows.
          while (y >= height && pass < 3) y = passStart[++pass];
        }
        if (y >= height) {
          finished = true;
          break;
        }
        row = im->pixels[y];
      }
      if (source->sp <= 0) break;
      v = source->stack[--source->sp];
    }
  }
  LWZReadByte(source, 0, c);
  return 1;
}

oldrzImagePtr oldrzImageCreateFromGifSource(gifSource *source) {
  int transparent = -1;
  source->zeroDataBlock = 0;
  source->tooLarge = 0;
  source->invalid = 0;
  unsigned char buf[16];
  if (!readOK(source, buf, 6)) return nullptr;
  if (std::memcmp(buf, "GIF", 3) != 0) return nullptr;
  if (std::memcmp(buf + 3, "87a", 3) != 0 && std::memcmp(buf + 3, "89a", 3) != 0) return nullptr;
  if (!readOK(source, buf, 7)) return nullptr;

  // Without any colour table, index i shows gray level i.
  static int globalMap[3][256];
  for (int i = 0; i < 256; i++) globalMap[0][i] = globalMap[1][i] = globalMap[2][i] = i;
  int(*cmap)[256] = (int(*)[256])std::malloc(sizeof(int) * 3 * 256 * 2);
  if (!cmap) return nullptr;
  int(*global)[256] = cmap;
  int(*local)[256] = cmap + 3;
  std::memcpy(global, globalMap, sizeof globalMap);
  if (buf[4] & 0x80) {
    if (ReadColorMap(source, 2 << (buf[4] & 7), global)) {
      std::free(cmap);
      return nullptr;
    }
  }
  oldrzImagePtr im = nullptr;
  for (;;) {
    unsigned char c;
    if (!readOK(source, &c, 1)) break;
    if (c == ';') break;
    if (c == '!') {
      if (!readOK(source, &c, 1)) break;
      DoExtension(source, c, &transparent);
      continue;
    }
    if (c != ',') continue;
    if (!readOK(source, buf, 9)) break;
    int width = buf[4] | (buf[5] << 8);
    int height = buf[6] | (buf[7] << 8);
    if (width == 0 || height == 0) break;
    im = oldrzImageCreate(width, height);
    if (!im) {
      source->tooLarge = (long long)width * height > imageDataPixelLimit ? 1 : 2;
      break;
    }
    im->interlace = (buf[8] & 0x40) ? 1 : 0;
    int(*use)[256] = global;
    if (buf[8] & 0x80) {
      std::memcpy(local, globalMap, sizeof globalMap);
      if (ReadColorMap(source, 1 << ((buf[8] & 7) + 1), local)) {
        oldrzImageDestroy(im);
        im = nullptr;
        break;
      }
      use = local;
    }
    if (!ReadImage(im, source, width, height, use, im->interlace)) {
      oldrzImageDestroy(im);
      im = nullptr;
      break;
    }
    if (transparent != -1) oldrzImageColorTransparent(im, transparent);
    break;
  }
  std::free(cmap);
  if (!im) return nullptr;
  while (im->colorsTotal > 0 && im->open[im->colorsTotal - 1]) im->colorsTotal--;
  return im;
}

int LoadGif(wfileStruct *in, void *context, paletteInfo *pa, imageData **idP) {
  gifSource *source = (gifSource *)std::calloc(1, sizeof(gifSource));
  if (!source) {
    LowMemory();
    return 0;
  }
  source->read = wfileReadWrapper;
  source->context = in;
  oldrzImagePtr im = oldrzImageCreateFromGifSource(source);
  int tooLarge = source->tooLarge;
  std::free(source);
  if (loadStopped()) {
    if (im) oldrzImageDestroy(im);
    return 0;
  }
  if (!im) {
    if (tooLarge == 1)
      platformMessageBox(nullptr, "Image Too Large", "GIF Decoding Error", MB_OK | MB_ICONWARNING);
    else if (tooLarge)
      LowMemory();
    else
      platformMessageBox(nullptr, "Not a Valid GIF File", "GIF Decoding Error", MB_OK | MB_ICONWARNING);
    return 0;
  }
  unsigned char sourcep[256 * 4];
  std::memset(sourcep, 0, sizeof sourcep);
  for (int i = 0; i < im->colorsTotal; i++) {
    sourcep[4 * i] = (unsigned char)im->red[i];
    sourcep[4 * i + 1] = (unsigned char)im->green[i];
    sourcep[4 * i + 2] = (unsigned char)im->blue[i];
  }
  unsigned char *row = (unsigned char *)std::malloc((size_t)im->sx * 3 + 4);
  if (!row) {
    oldrzImageDestroy(im);
    platformMessageBox(nullptr, "Not Enough Memory", "GIF Decoding Error", MB_OK | MB_ICONWARNING);
    return 0;
  }
  unsigned char *header = imageHeaderCreate(im->sx, im->sy, pa);
  imageData *d = header ? imageDataCreateFromHeader(header, imageHeaderSize) : nullptr;
  if (!d) {
    std::free(header);
    std::free(row);
    oldrzImageDestroy(im);
    LowMemory();
    return 0;
  }
  *idP = d;
  for (int y = 0; y < im->sy; y++) {
    unsigned char *target = imageDataRowPointer(d, y);
    ditherRow(pa, rowPalette, target ? target : row, im->pixels[y], im->sx, sourcep);
    imageDataPushRow(d, y, target ? target : row);
  }
  oldrzImageDestroy(im);
  std::free(header);
  std::free(row);
  return 1;
}
