// exif.cpp: the orientation tag of a picture's Exif data, read by a small
// bounded reader that looks at the first directory only and trusts no offset.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/loaders.h"

int exifOrientation(const unsigned char *data, size_t size) {
  if (!data) return 1;
  // A JPEG's APP1 block (and some WebP files) start with the Exif name; PNG's
  // eXIf chunk and most WebP files start with the TIFF header itself.
  if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
    data += 6;
    size -= 6;
  }
  if (size < 8) return 1;
  bool big;
  if (data[0] == 'M' && data[1] == 'M') big = true;
  else if (data[0] == 'I' && data[1] == 'I') big = false;
  else return 1;
  auto u16 = [&](size_t at) -> unsigned {
    return big ? ((unsigned)data[at] << 8) | data[at + 1] : ((unsigned)data[at + 1] << 8) | data[at];
  };
  auto u32 = [&](size_t at) -> uint32_t { return big ? (u16(at) << 16) | u16(at + 2) : (u16(at + 2) << 16) | u16(at); };
  if (u16(2) != 42) return 1;
  // The first directory: a count, then 12-byte entries of tag, type, count
  // and value. Only this directory holds the orientation of the main picture,
  // so no link to another directory is followed, and no loop can arise.
  uint32_t ifd = u32(4);
  if (ifd < 8 || ifd > size - 2) return 1;
  unsigned entries = u16(ifd);
  size_t first = (size_t)ifd + 2;
  for (unsigned i = 0; i < entries; i++) {
    size_t at = first + (size_t)i * 12;
    if (at + 12 > size) return 1;
    if (u16(at) != 0x0112) continue;
    // SHORT, one value, held in the entry itself.
    if (u16(at + 2) != 3 || u32(at + 4) != 1) return 1;
    unsigned value = u16(at + 8);
    return value >= 1 && value <= 8 ? (int)value : 1;
  }
  return 1;
}

void exifOrientedSize(int orientation, int width, int height, int *shownWidth, int *shownHeight) {
  bool turned = orientation >= 5 && orientation <= 8;
  *shownWidth = turned ? height : width;
  *shownHeight = turned ? width : height;
}
