// docflow.cpp: opening, creating, saving, closing and showing a document. Owns webPageOrImageHook, docflowProgram.
#include "workflow/docflow.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cctype>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"
#include "workflow/recent.h"
#include "platform/settings.h"
#include "editor/modes.h"
#include "editor/objects.h"
#include "editor/props.h"
#include "platform/seams.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "editor/clientmap.h"
#include "html/document.h"
#include "html/pageio.h"
#include "platform/strhack.h"
#include "image/imagedata.h"
#include "workflow/loadimg.h"
#include "platform/platform.h"
#include "wfile/wfile.h"

const char *const docflowTitle = "Tilvane 4.05";
int (*webPageOrImageHook)(void) = nullptr;
const char *docflowProgram = nullptr;

namespace {

const platformFileFilter pageFilter = {
    "HTML, PHP, Cold Fusion and ASP Pages (*.HTM;*.HTML;*.SHTM;*.SHTML;*.ASP;*.ASPX;*.PHP;*.CFM)",
    "*.htm;*.html;*.shtm;*.shtml;*.asp;*.php;*.cfm;*.aspx"};
const platformFileFilter imageFilter = {
    "GIF, JPEG, PNG, BMP, WebP, AVIF and SVG Files "
    "(*.GIF;*.JPG;*.JPEG;*.PNG;*.BMP;*.WEBP;*.AVIF;*.SVG;*.SVGZ)",
    "*.gif;*.jpg;*.jpe;*.jpeg;*.png;*.bmp;*.webp;*.avif;*.svg;*.svgz"};

const char *const inUseText =
    "Tilvane cannot open the requested HTML document. You may already have this document open in "
    "another Tilvane window, or in another program.\r\n\r\n You cannot open two imagemaps in the "
    "same HTML file at the same time. However, you can copy and paste between them by copying, "
    "closing the document, and re-opening the document to select a different imagemap to paste "
    "into.";

void warn(const char *text, const char *title) {
  platformMessageBox(nullptr, text, title, MB_OK | MB_ICONWARNING);
}

void replaceString(char **field, const char *value) {
  char *copy = value ? mystrdupImpl("docflow", value) : nullptr;
  myfreeImpl(*field);
  *field = copy;
}

// Opens path for reading without waiting (a pipe or device never blocks the
// call); -1 when it cannot be opened or is not a regular file.
int openRegular(const char *path) {
  if (!path || !*path) return -1;
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

// Whether path names a regular file that can be opened for reading.
int readable(const char *path) {
  int fd = openRegular(path);
  if (fd < 0) return 0;
  close(fd);
  return 1;
}

int regularOrMissing(const char *path) {
  struct stat st;
  return stat(path, &st) != 0 || S_ISREG(st.st_mode);
}

// Whether a second holder keeps the page: it cannot be opened for reading, or
// its exclusive lock is taken.
int pageInUse(const char *path) {
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 1;
  int busy = 0;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    busy = errno == EWOULDBLOCK || errno == EAGAIN;
  } else {
    flock(fd, LOCK_UN);
  }
  close(fd);
  return busy;
}

// The last component of a path: after its last backslash, or else its last
// slash; null when it has neither.
const char *lastComponent(const char *path) {
  const char *b = std::strrchr(path, '\\');
  if (b) return b + 1;
  const char *s = std::strrchr(path, '/');
  return s ? s + 1 : nullptr;
}

const char *afterLastSeparator(const char *path) {
  const char *a = std::strrchr(path, '\\');
  const char *b = std::strrchr(path, '/');
  const char *c = a > b ? a : b;
  return c ? c + 1 : path;
}

// A text for a double-quoted attribute value: '"' becomes "&#34;".
std::string quotedValue(const char *s) {
  std::string out;
  for (; s && *s; s++) {
    if (*s == '"')
      out += "&#34;";
    else
      out += *s;
  }
  return out;
}

// Whether the entry is an img with a non-empty src.
int listedImage(htmlTagPtr t) {
  return t && t->name && htmlEq(t->name, "img") && htmlTagAttr(t, "src")[0] != 0;
}

// The "img" entries of a page, in order, whether or not they have a src.
int isImageEntry(htmlTagPtr t) { return t && t->name && htmlEq(t->name, "img"); }

int lockedBySomeoneElse(const char *path) {
  // Our own page is ours to replace.
  if (htmlFilePtr) {
    struct stat mine, named;
    if (fstat(fileno(htmlFilePtr), &mine) == 0 && stat(path, &named) == 0 &&
        mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
      return 0;
  }
  return pageInUse(path);
}

// Whether Save As may create or replace the file at path.
int canCreate(const char *path) {
  struct stat st;
  if (stat(path, &st) == 0) {
    if (!S_ISREG(st.st_mode)) return 0;
    if (lockedBySomeoneElse(path)) return 0;
    if (access(path, W_OK) != 0) return 0;
  }
  std::string folder = path;
  size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : folder.substr(0, slash);
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

// Forgets the half-read page when reading or binding fails.
void abandonDocument(void) {
  if (hdoc || htmlFilePtr) Close(1);
}

int parseDimension(const char *v) {
  while (*v == ' ' || *v == '\t' || *v == '\n' || *v == '\r' || *v == '\f' || *v == '\v') v++;
  int negative = 0;
  if (*v == '+' || *v == '-') negative = *v++ == '-';
  long long n = 0;
  for (; *v >= '0' && *v <= '9'; v++) {
    n = n * 10 + (*v - '0');
    if (n > INT_MAX) n = INT_MAX;
  }
  return negative ? -static_cast<int>(n) : static_cast<int>(n);
}

}  // namespace

// --- recognising pages, finding pictures, naming maps ------------------------

int isHtml(const char *path) {
  int fd = openRegular(path);
  if (fd < 0) return 0;
  unsigned char head[1024];
  size_t n = 0;
  while (n < sizeof head) {
    ssize_t got = read(fd, head + n, sizeof head - n);
    if (got <= 0) break;
    n += static_cast<size_t>(got);
  }
  close(fd);
  if (n < 10) return 0;
  if (std::memcmp(head, "GIF8", 4) == 0) return 0;
  if (std::memcmp(head + 6, "JFIF", 4) == 0) return 0;
  if (std::memcmp(head + 1, "PNG", 3) == 0) return 0;
  size_t limit = n < 1023 ? n : 1023;
  const unsigned char *zero = static_cast<const unsigned char *>(std::memchr(head, 0, limit));
  if (zero) limit = static_cast<size_t>(zero - head);
  std::string text(reinterpret_cast<const char *>(head), limit);
  if (text.find('<') == std::string::npos) return 0;
  return text.find('>') != std::string::npos || text.find("<!--") != std::string::npos;
}

char *ResolveURL(const char *url, const char *base) {
  if (!url) url = "";
  if (readable(url)) return mystrdupImpl("ResolveURL", url);

  if (std::strlen(url) > 7 && std::strncmp(url, "file:///", 8) == 0) {
    // file:///C|/x or file:///C:/x name a drive; file:///home/x an absolute path.
    const char *rest = url + 8;
    const bool drive = rest[0] && (rest[1] == '|' || rest[1] == ':');
    std::string path = drive ? std::string(rest) : std::string(url + 7);
    for (char &c : path)
      if (c == '|') c = ':';
    if (readable(path.c_str())) return mystrdupImpl("ResolveURL", path.c_str());
  }

  const char *last = lastComponent(url);
  if (last && *last && readable(last)) return mystrdupImpl("ResolveURL", last);
  const char *fallback = last ? last : url;

  if (!base) base = "";
  const char *cut = std::strrchr(base, '\\');
  if (!cut) cut = std::strrchr(base, '/');
  if (!cut) cut = std::strrchr(base, ':');
  if (!cut) return mystrdupImpl("ResolveURL", fallback);
  std::string folder(base, static_cast<size_t>(cut - base + 1));
  std::string candidate = folder + url;
  if (readable(candidate.c_str())) return mystrdupImpl("ResolveURL", candidate.c_str());
  if (last) {
    candidate = folder + last;
    if (readable(candidate.c_str())) return mystrdupImpl("ResolveURL", candidate.c_str());
  }
  return mystrdupImpl("ResolveURL", fallback);
}

char *inventMapLocalName(const char *path) {
  std::string s = path ? path : "";
  size_t dot = s.rfind('.');
  if (dot != std::string::npos) s.erase(dot);
  size_t b = s.rfind('\\');
  if (b != std::string::npos) s.erase(0, b + 1);
  size_t f = s.rfind('/');
  if (f != std::string::npos) s.erase(0, f + 1);
  // A map needs a name that usemap can point at.
  if (s.empty()) s = "map";
  return mystrdupImpl("inventMapLocalName", s.c_str());
}

void getSrcDimension(htmlTagPtr img, int *value, const char *name) {
  if (!img || !value || !name || !htmlTagAttrQuery(img, name)) return;
  const char *v = htmlTagAttr(img, name);
  if (std::strchr(v, '%')) {
    char text[1024];
    sprintfMax(text, sizeof text,
               "This image is displayed at a percentage of the browser's %s, because of a %s "
               "attribute to the <IMG> element which uses a %% sign. THIS WILL CAUSE PROBLEMS FOR "
               "IMAGEMAPS, because users have different browser sizes. It is STRONGLY RECOMMENDED "
               "that you edit the document to display the image at a specific size in pixels or "
               "leave out WIDTH and HEIGHT altogether.",
               name, name);
    warn(text, "Percentages Work Badly With Imagemaps!");
    return;
  }
  int n = parseDimension(v);
  *value = n > 0 ? n : -1;
}

// --- the image list and binding the image -------------------------------------

std::vector<std::string> imageListEntries(int *missing) {
  std::vector<std::string> list;
  if (missing) *missing = 0;
  for (htmlTagPtr t = hdoc ? hdoc->first : nullptr; t; t = t->n) {
    if (!isImageEntry(t)) continue;
    if (listedImage(t))
      list.push_back(htmlTagAttr(t, "src"));
    else if (missing)
      *missing = 1;
  }
  return list;
}

int imageListRun(int (*dialog)(const std::vector<std::string> &list, void *data), void *data) {
  int missing = 0;
  std::vector<std::string> list = imageListEntries(&missing);
  if (missing)
    warn("Warning: at least one of your IMG elements has no src attribute. Did you use an = sign "
         "and quotation marks? A valid example: <img src=\"myimage.jpg\">\r\n\r\nIf none of your "
         "IMG elements are correctly written, Tilvane will not be able to work with your document "
         "until you have corrected your HTML.",
         "Warning: Bad IMG Element Found");
  if (list.empty()) {
    warn("The HTML document you have opened does not contain\r\nany inline images. To create "
         "client-side imagemaps,\r\nplease create and open a page which contains inline images.\r\n",
         "Document Contains No Images");
    Close(1);
    return 0;
  }
  if (list.size() == 1) return ImageListOKBody(list[0].c_str(), 0);
  int result = dialog ? dialog(list, data) : 0;
  if (!result) Close(1);
  return result;
}

int ImageListOK(const char *text, int position) {
  if (position < 0) {
    warn("Please select an image to map, or select CANCEL\r\nto cancel the operation.", "No Image Selected");
    return -1;
  }
  return ImageListOKBody(text, position);
}

namespace {

// Whether an <img> sets its own border: a border attribute of any value, or a
// style that names a border property (border, border-style, border-width...).
bool imageSetsBorder(htmlTagPtr img) {
  if (htmlTagAttrQuery(img, "border")) return true;
  std::string style = htmlTagAttr(img, "style");
  for (char &c : style) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (size_t at = style.find("border"); at != std::string::npos; at = style.find("border", at + 1)) {
    // A property name starts the declaration: at the start or after ';' or '{'.
    size_t b = at;
    while (b > 0 && std::isspace(static_cast<unsigned char>(style[b - 1]))) b--;
    if (b == 0 || style[b - 1] == ';' || style[b - 1] == '{') return true;
  }
  return false;
}

}  // namespace

namespace {

// Whether two paths name the same existing file.
bool sameFile(const std::string &a, const std::string &b) {
  struct stat x, y;
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// The listed image whose src, taken from the folder of page, is the file that
// name gives as a path (from the current folder, else from the page's). Null
// when none is.
htmlTagPtr imageByPath(const char *name, const char *page) {
  if (!name || !*name) return nullptr;
  const std::string pagePath = page ? page : "";
  const size_t cut = pagePath.rfind('/');
  const std::string folder = cut == std::string::npos ? std::string() : pagePath.substr(0, cut + 1);
  std::string given = name;
  struct stat st;
  if (given[0] != '/' && stat(given.c_str(), &st) != 0) given = folder + given;
  if (stat(given.c_str(), &st) != 0) return nullptr;
  for (htmlTagPtr t = hdoc ? hdoc->first : nullptr; t; t = t->n) {
    if (!listedImage(t)) continue;
    const char *src = htmlTagAttr(t, "src");
    if (!*src) continue;
    if (sameFile(src[0] == '/' ? std::string(src) : folder + src, given)) return t;
  }
  return nullptr;
}

}  // namespace

int ImageListOKBody(const char *name, int position) {
  htmlTagPtr chosen = nullptr;
  int at = 0;
  for (htmlTagPtr t = hdoc ? hdoc->first : nullptr; t; t = t->n) {
    if (!listedImage(t)) continue;
    if (position >= 0 ? at == position : (name && std::strcmp(htmlTagAttr(t, "src"), name) == 0)) {
      chosen = t;
      break;
    }
    at++;
  }
  // A name that is no src as written may still be the path of one's file.
  if (!chosen && position < 0) chosen = imageByPath(name, mapfilename);
  if (!chosen) {
    warn("No image by that name was found in the HTML document.", "Bad image name");
    Close(1);
    return 0;
  }
  const std::string src = htmlTagAttr(chosen, "src");

  if (htmlTagAttrQuery(chosen, "usemap")) {
    const char *usemap = htmlTagAttr(chosen, "usemap");
    if (usemap[0] == '#') {
      replaceString(&maplocalname, usemap + 1);
    } else {
      if (std::strchr(usemap, '#'))
        warn("Sorry, Tilvane requires that the inline image\r\nand its map reside in the same HTML "
             "document.\r\nThis HTML document specifies a map stored in\r\na separate file. Paste the "
             "map element into this\r\nHTML document and change the usemap attribute\r\nof the inline "
             "image accordingly if you wish to\r\nedit the map with Tilvane.",
             "Separate map files not supported");
      else
        warn("That <img src> element has a bad usemap attribute.\r\nPerhaps the # sign is missing "
             "before the map name.\r\nTilvane will not attempt to access the map.",
             "Bad usemap attribute");
      Close(1);
      return 0;
    }
  } else {
    char *invented = inventMapLocalName(src.c_str());
    myfreeImpl(maplocalname);
    maplocalname = invented;
    std::string value = std::string("#") + maplocalname;
    if (htmlTagAttrAppend(chosen, "usemap") != htmlSuccess ||
        htmlTagLastAttrSet(chosen, value.c_str(), 1) != htmlSuccess) {
      LowMemory();
      Close(1);
      return 0;
    }
  }

  // An image whose own markup hides its border or gives it one is left alone.
  if (defeatBlueBorder && !imageSetsBorder(chosen)) {
    if (strictXHTML) {
      int touched = 0;
      if (htmlTagAttrQuery(chosen, "border")) {
        htmlTagAttrDestroy(chosen, "border");
        touched = 1;
      }
      if (!htmlTagAttrQuery(chosen, "style")) {
        htmlTagAttrSet(chosen, "style", "border-style:none", 1);
        touched = 1;
      }
      if (touched) changed = 1;
    } else if (std::strcmp(htmlTagAttr(chosen, "border"), "0") != 0) {
      htmlTagAttrSet(chosen, "border", "0", 1);
      changed = 1;
    }
  }

  displayWidth = -1;
  displayHeight = -1;
  getSrcDimension(chosen, &displayWidth, "width");
  getSrcDimension(chosen, &displayHeight, "height");

  char *found = ResolveURL(src.c_str(), mapfilename);
  if (!readable(found)) {
    myfreeImpl(found);
    found = nullptr;
    warn("Tilvane could not locate that image on disk. Please use the following dialog box to "
         "select the image you want to work with.",
         "Please Locate the Image File");
    char chosenPath[1024];
    if (!platform->openFileDialog(nullptr, nullptr, &imageFilter, 1, nullptr,
                                  PLATFORM_FILE_MUST_EXIST | PLATFORM_PATH_MUST_EXIST, chosenPath,
                                  sizeof chosenPath)) {
      warn("You will need both the HTML document and the image on your hard drive in order to "
           "create an imagemap with Tilvane.",
           "No Image Specified");
      return 0;
    }
    if (!readable(chosenPath)) {
      warn("You will need both the HTML document and the image on your hard drive in order to "
           "create an imagemap with Tilvane.",
           "No Image Specified");
      return 0;
    }
    found = mystrdupImpl("ImageListOKBody", chosenPath);
  }
  myfreeImpl(imagefilename);
  imagefilename = found;
  return 1;
}

// --- opening a page -------------------------------------------------------------

int OpenHtmlDocument(const char *path, const char *image) {
  if (!path || !*path) return 0;
  // The arguments may be the document's own strings, which Close releases.
  const std::string pagePath = path;
  const std::string imageName = image ? image : "";
  const bool haveImage = image != nullptr;

  if (hdoc) {
    htmlDestroy(hdoc);
    hdoc = nullptr;
  }
  if (htmlFilePtr) {
    std::fclose(htmlFilePtr);
    htmlFilePtr = nullptr;
  }
  hdoc = pageDocumentCreate();
  if (!hdoc) {
    LowMemory();
    return 0;
  }

  int inUse = 0;
  errno = 0;
  // Only a regular file is read: a pipe or device could block reading forever.
  const bool regular = regularOrMissing(pagePath.c_str());
  FILE *f = regular ? pageOpenLocked(pagePath.c_str(), &inUse) : nullptr;
  if (!f) {
    const int error = errno;
    char text[1024];
    sprintfMax(text, sizeof text, "%s\r\nError Was:\r\n%s", inUseText,
               !regular ? pageNotRegularText
               : inUse  ? "The file is locked by another program (another Tilvane window may have it open)."
                        : std::strerror(error ? error : ENOENT));
    warn(text, "Can't Open File");
    htmlDestroy(hdoc);
    hdoc = nullptr;
    return 0;
  }
  htmlFilePtr = f;
  // A save of this page that did not finish may have left its old content.
  pageRecoverOffer(pagePath.c_str(), htmlFilePtr);

  htmlResult r = pageFeed(hdoc, htmlFilePtr, &htmlFileCRLF);
  htmlLogErrorsEnd(hdoc);
  if (r != htmlSuccess) {
    const int error = errno;
    std::fclose(htmlFilePtr);
    htmlFilePtr = nullptr;
    htmlDestroy(hdoc);
    hdoc = nullptr;
    if (r == htmlIO) {
      char text[1024];
      sprintfMax(text, sizeof text, "%s\r\nError Was:\r\n%s", inUseText, std::strerror(error ? error : EIO));
      warn(text, "Can't Open File");
    } else {
      LowMemory();
    }
    return 0;
  }
  replaceString(&mapfilename, pagePath.c_str());
  pageStampTake(htmlFilePtr, &htmlFileStamp);
  pageRemoveLeftovers(pagePath.c_str());

  if (haveImage) {
    int ok = ImageListOKBody(imageName.c_str(), -1);
    if (!ok) abandonDocument();
    return ok;
  }
  if (ImageListSelect()) {
    recentFileAdd(pagePath.c_str());
    return 1;
  }
  abandonDocument();
  return 0;
}

int OpenLaunch(void) {
  FirstHint(0, nullptr);
  if (state != nostate) {
    startSecondProcess("/open");
    return 0;
  }
  if (!Close(0)) return 0;
  if (opening || openingBox) return 0;
  changed = 0;
  openingBox = 1;
  replaceString(&mapfilename, nullptr);
  replaceString(&maplocalname, nullptr);

  int result = 0;
  char path[1024];
  if (platform->openFileDialog(nullptr, nullptr, &pageFilter, 1, nullptr,
                               PLATFORM_FILE_MUST_EXIST | PLATFORM_PATH_MUST_EXIST, path, sizeof path)) {
    if (pageInUse(path)) {
      warn(inUseText, "File Already In Use");
    } else if (!isHtml(path)) {
      warn("That is not an HTML document. Tilvane is used to add client side imagemap elements to "
           "existing HTML documents. If you want to work with an old-style server side map, first "
           "open an HTML document and then use the Import option on the file menu to copy that "
           "imagemap into the document.",
           "Please Select an HTML Document");
    } else if (OpenHtmlDocument(path, nullptr)) {
      maptype = mapClient;
      const std::string image = imagefilename ? imagefilename : "";
      result = Open(image.c_str(), path, nullptr);
    }
  }
  openingBox = 0;
  return result;
}

int Open(const char *image, const char *page, const char *name) {
  if (!readable(image)) {
    modalPopup("The image file was not found. Tilvane must be\r\nable to find the image on your drive.", 0,
               nullptr, nullptr);
    abandonDocument();
    return 0;
  }
  if (!page || !*page) {
    modalPopup("No map filename specified.\n", 0, nullptr, nullptr);
    abandonDocument();
    return 0;
  }
  const std::string imagePath = image, pagePath = page;
  const std::string localName = name ? name : "";
  replaceString(&imagefilename, imagePath.c_str());
  replaceString(&mapfilename, pagePath.c_str());
  int ok = loadfiles(imagefilename, mapfilename, name ? localName.c_str() : nullptr, 0);
  if (ok) {
    docflowSetTitle();
    sensitivity(1);
  } else {
    Close(1);
  }
  return ok;
}

// --- a new page around a picture ---------------------------------------------------

const char *borderAttribute(void) {
  if (!defeatBlueBorder) return "";
  return strictXHTML ? " style=\"border-style:none\"" : " border=\"0\"";
}

std::string newPageTemplate(const char *image, const char *name) {
  std::string t;
  t += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  t += "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"DTD/xhtml1-strict.dtd\">\n";
  t += "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\" lang=\"en\">\n";
  t += "<head>\n";
  t += "<title>Imagemap</title>\n";
  t += "</head>\n";
  t += "<body>\n";
  t += "<div>\n";
  t += "<img src=\"" + quotedValue(image) + "\" alt=\"\" usemap=\"#" + quotedValue(name) + "\"" +
       borderAttribute() + " />\n";
  t += "</div>\n";
  t += "</body>\n";
  t += "</html>\n";
  return t;
}

int New(const char *image, const char *page, const char *name) {
  if (state != nostate) {
    startSecondProcess("/new");
    return 1;
  }
  const std::string pagePath = page ? page : "";
  const std::string localName = name ? name : "";
  std::string imagePath = image ? image : "";
  if (!Close(0)) return 0;
  if (hdoc) htmlDestroy(hdoc);
  hdoc = pageDocumentCreate();
  if (!hdoc) {
    LowMemory();
    return 0;
  }
  auto giveUp = [](void) {
    htmlDestroy(hdoc);
    hdoc = nullptr;
    return 0;
  };
  if (!image) {
    // A page named but not there yet is made around a picture: say so before
    // asking for it.
    if (!pagePath.empty() && !fileExists(pagePath.c_str())) {
      const std::string text = "The page " + pagePath +
                               " does not exist yet. Choose the picture for the new page, or cancel to make none.";
      platformMessageBox(nullptr, text.c_str(), "New Page", MB_OK | MB_ICONINFORMATION);
    }
    char chosen[1024];
    if (!platform->openFileDialog(nullptr, nullptr, &imageFilter, 1, nullptr,
                                  PLATFORM_FILE_MUST_EXIST | PLATFORM_PATH_MUST_EXIST, chosen, sizeof chosen))
      return giveUp();
    imagePath = chosen;
  }
  if (!readable(imagePath.c_str())) {
    const std::string text = "The image file was not found. Tilvane must be\r\nable to find the image on your drive.\r\n" +
                             imagePath;
    modalPopup(text.c_str(), 0, nullptr, nullptr);
    return giveUp();
  }
  displayWidth = -1;
  displayHeight = -1;
  if (name)
    replaceString(&maplocalname, localName.c_str());
  else {
    myfreeImpl(maplocalname);
    maplocalname = inventMapLocalName(imagePath.c_str());
  }
  if (!loadfiles(imagePath.c_str(), pagePath.c_str(), name ? localName.c_str() : nullptr, 1)) return giveUp();
  replaceString(&imagefilename, imagePath.c_str());
  replaceString(&mapfilename, pagePath.c_str());

  const std::string page0 = newPageTemplate(imagePath.c_str(), maplocalname);
  htmlResult fed = pageFeedBuffer(hdoc, page0.data(), page0.size(), &htmlFileCRLF);
  htmlLogErrorsEnd(hdoc);
  if (fed != htmlSuccess) {
    LowMemory();
    Close(1);
    return 0;
  }
  newPageSrc = 1;
  changed = 1;
  docflowSetTitle();
  recentFileAdd(imagefilename);
  sensitivity(1);
  objectsSetup();
  return 1;
}

// --- saving under a new name, closing -------------------------------------------------

namespace {

// The steps of a path from the root, taken from the current folder when it is
// relative, with "." and ".." resolved.
std::vector<std::string> pathSteps(const char *path) {
  std::string full = path ? path : "";
  if (full.empty() || full[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) full = std::string(cwd) + "/" + full;
  }
  std::vector<std::string> steps;
  size_t at = 0;
  while (at <= full.size()) {
    size_t end = full.find('/', at);
    if (end == std::string::npos) end = full.size();
    std::string step = full.substr(at, end - at);
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    at = end + 1;
  }
  return steps;
}

}  // namespace

std::string relativePath(const char *folder, const char *file) {
  const std::vector<std::string> from = pathSteps(folder), to = pathSteps(file);
  size_t common = 0;
  while (common < from.size() && common + 1 < to.size() && from[common] == to[common]) common++;
  std::string out;
  for (size_t i = common; i < from.size(); i++) out += "../";
  for (size_t i = common; i < to.size(); i++) {
    out += to[i];
    if (i + 1 < to.size()) out += '/';
  }
  return out;
}

void newPageSrcRelative(const char *pagePath) {
  if (!newPageSrc || !hdoc || !imagefilename || !*imagefilename || !pagePath || !*pagePath) return;
  std::string folder = pagePath;
  size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : folder.substr(0, slash);
  const std::string src = relativePath(folder.c_str(), imagefilename);
  for (htmlTagPtr t = hdoc->first; t; t = t->n) {
    if (!htmlEq(t->name, "img")) continue;
    if (htmlTagAttrSet(t, "src", quotedValue(src.c_str()).c_str(), 1) != htmlSuccess) LowMemory();
    return;
  }
}

int SaveAs(void) {
  if (!hdoc || opening) return 0;
  char initial[1024];
  strcpyMax(initial, sizeof initial, mapfilename ? mapfilename : "");
  if (!initial[0] && imagefilename && *imagefilename) {
    // A page not saved yet is offered beside its picture, named after it.
    const char *name = afterLastSeparator(imagefilename);
    char *base = inventMapLocalName(imagefilename);
    strncpyMax(initial, sizeof initial, imagefilename, static_cast<int>(name - imagefilename));
    strcatMax(initial, sizeof initial, base);
    strcatMax(initial, sizeof initial, ".html");
    myfreeImpl(base);
  }
  char path[1024];
  saving = 1;
  int chosen = platform->saveFileDialog(nullptr, nullptr, &pageFilter, 1, initial, "html",
                                        PLATFORM_PATH_MUST_EXIST, path, sizeof path);
  saving = 0;
  if (!chosen || !path[0]) return 0;
  struct stat st;
  if (stat(path, &st) == 0 &&
      platformMessageBox(nullptr, "That file already exists. Overwrite it?", "Overwriting File",
                         MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 0;
  settingsSave();
  if (!canCreate(path)) {
    warn("Unable to create or overwrite the file. It may be in use by another Tilvane window, or by "
         "another program.",
         "Can't Create File");
    return 0;
  }
  // The old name stays the document's until the new file holds the page.
  // The user has agreed to overwrite the file chosen: the old page's record of
  // what was on disk does not apply to it.
  char *old = mapfilename;
  const pageStamp oldStamp = htmlFileStamp;
  mapfilename = mystrdupImpl("SaveAs", path);
  htmlFileStamp = pageStamp();
  int saved = Save();
  if (saved) {
    myfreeImpl(old);
    docflowSetTitle();
  } else {
    myfreeImpl(mapfilename);
    mapfilename = old;
    htmlFileStamp = oldStamp;
  }
  return saved;
}

int saveDocument(void) {
  if (!mapfilename || !*mapfilename) return SaveAs();
  return Save();
}

int Close(int force) {
  if (!force && changed && hdoc) {
    int answer = platformMessageBox(nullptr, "Would you like to save the changes made to this document?",
                                    "Unsaved Changes", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) {
      if (!saveDocument()) return 0;
    } else if (answer != IDNO) {
      return 0;
    }
  }
  if (htmlFilePtr) {
    std::fclose(htmlFilePtr);
    htmlFilePtr = nullptr;
  }
  htmlFileCRLF = 0;
  htmlFileStamp = pageStamp();
  newPageSrc = 0;
  pointSelectionFree(&psel);
  lastObjectSelected = -1;
  replaceString(&imagefilename, nullptr);
  replaceString(&mapfilename, nullptr);
  replaceString(&maplocalname, nullptr);
  if (hdoc) {
    htmlDestroy(hdoc);
    hdoc = nullptr;
  }
  ReleaseObjects();
  replaceString(&trailingComments, nullptr);
  if (id) {
    imageDataDestroy(id);
    id = nullptr;
  }
  ReloadLogo();
  replaceString(&defaultUrl, nullptr);
  UrlDismiss();
  UrlDefaultDismiss();

  sensitivity(0);
  repaint(0);
  changed = 0;
  state = nostate;
  undoPurge();
  redoPurge();
  static const int tools[] = {cmdPolygon, cmdRectangle, cmdCircle, cmdMagicWand, cmdTestEdit};
  for (int tool : tools) commandCheck(tool, 0);
  toolbarRedraw();
  setWindowTitle(docflowTitle);
  return 1;
}

// --- the title, the second process ----------------------------------------------------

void docflowSetTitle(void) {
  const char *name = mapfilename && *mapfilename ? mapfilename : imagefilename;
  if (!hdoc || !name || !*name) {
    setWindowTitle(docflowTitle);
    return;
  }
  char title[1024];
  sprintfMax(title, sizeof title, "%s: %s", docflowTitle, afterLastSeparator(name));
  setWindowTitle(title);
}

int startSecondProcess(const char *argument) {
  char program[PATH_MAX + 1];
  if (docflowProgram) {
    strcpyMax(program, sizeof program, docflowProgram);
  } else {
    ssize_t n = readlink("/proc/self/exe", program, sizeof program - 1);
    if (n <= 0) n = 0;
    program[n] = 0;
  }
  const char *args[] = {argument, nullptr};
  if (program[0] && platform->startProcess(program, args)) return 1;
  warn("Tilvane could not start another window for the other document.", "Can't Start Tilvane");
  return 0;
}

// --- the start dialog ------------------------------------------------------------------

int webPageOrImageChoose(int webPage) {
  if (webPage) {
    webPageFlag = 1;
    return OpenLaunch();
  }
  webPageFlag = 0;
  maptype = mapClient;
  return New(nullptr, nullptr, nullptr);
}

int WebPageOrImage(void) {
  if (!webPageOrImageHook) return 0;
  openingBox = 1;
  int choice = webPageOrImageHook();
  openingBox = 0;
  if (choice < 0) return 0;
  return webPageOrImageChoose(choice);
}

void docflowInstall(void) {
  recentFileDocument.close = Close;
  recentFileDocument.newDocument = New;
  recentFileDocument.openHtmlDocument = OpenHtmlDocument;
  recentFileDocument.open = Open;
}

// --- showing the markup --------------------------------------------------------------

std::string showMarkup(void) {
  std::string t =
      "<!--\n  HTML fragment showing only the elements\n  relevant to your imagemap: img, map, area, "
      "and\n  /map. Copy and paste the entire map.../map block\n  into the body of your page. Copy and "
      "paste the provided\n  img element, OR set a usemap attribute as shown on your own\n  img "
      "element.\n-->\n\n";
  const char *image = imagefilename ? imagefilename : "";
  char *name = inventMapLocalName(image);
  t += "<img src=\"" + quotedValue(afterLastSeparator(image)) + "\" usemap=\"#" + quotedValue(name) +
       "\" alt=\"\"" + borderAttribute() + " />\n\n";
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  if (mem) {
    WriteClientMapTags(mem, name);
    std::fclose(mem);
    if (data) t.append(data, size);
  }
  std::free(data);
  myfreeImpl(name);
  return t;
}

int Show(void) {
  if (!hdoc) return 0;
  char folder[1024], path[1024];
  applicationGetTempDir(folder, sizeof folder);
  sprintfMax(path, sizeof path, "%s/temporary.htm", folder);
  const std::string text = showMarkup();
  char reason[256];
  if (!pageSaveFile(path, text.data(), text.size(), 1, nullptr, reason, sizeof reason)) {
    warn(path, "Can't Create Temporary File");
    return 0;
  }
  std::vector<std::string> command;
  if (textViewerCommand(path, command) && !command.empty()) {
    std::vector<const char *> args;
    for (size_t i = 1; i < command.size(); i++) args.push_back(command[i].c_str());
    args.push_back(nullptr);
    if (platform->startProcess(command[0].c_str(), args.data())) return 1;
  }
  platform->openAddress(path);
  return 1;
}

// --- the desktop's program for plain text ----------------------------------------------

namespace {

std::string envOr(const char *name, const std::string &fallback) {
  const char *v = std::getenv(name);
  return v && *v ? std::string(v) : fallback;
}

std::vector<std::string> splitList(const std::string &s, char separator) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at <= s.size()) {
    size_t end = s.find(separator, at);
    if (end == std::string::npos) end = s.size();
    if (end > at) out.push_back(s.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

// The value of key in [section] of an INI-style desktop file, or "" (the first
// occurrence wins, as the desktop-entry rules say).
std::string iniValue(const std::string &file, const char *section, const char *key) {
  FILE *f = wfileOpenRegularStream(file.c_str(), nullptr);
  if (!f) return "";
  char line[4096];
  bool inSection = false;
  std::string value;
  const size_t keyLength = std::strlen(key);
  while (readLine(f, line, sizeof line)) {
    if (line[0] == '[') {
      inSection = std::strncmp(line + 1, section, std::strlen(section)) == 0 &&
                  line[1 + std::strlen(section)] == ']';
      continue;
    }
    if (!inSection || std::strncmp(line, key, keyLength) != 0) continue;
    const char *p = line + keyLength;
    while (*p == ' ') p++;
    if (*p != '=') continue;
    p++;
    while (*p == ' ') p++;
    value = p;
    break;
  }
  std::fclose(f);
  return value;
}

std::string homeDefault(const char *relative) {
  const char *home = std::getenv("HOME");
  return std::string(home && *home ? home : "") + relative;
}

// The folders that hold desktop entries, in the order they are searched.
std::vector<std::string> applicationFolders(void) {
  std::vector<std::string> dirs;
  dirs.push_back(envOr("XDG_DATA_HOME", homeDefault("/.local/share")) + "/applications");
  for (const std::string &d : splitList(envOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
    dirs.push_back(d + "/applications");
  return dirs;
}

std::string findDesktopEntry(const std::string &id) {
  if (id.empty() || id.find('/') != std::string::npos) return "";
  for (const std::string &dir : applicationFolders()) {
    std::string file = dir + "/" + id;
    if (readable(file.c_str())) return file;
  }
  return "";
}

// A usable entry: it exists, is not hidden, and does not need a terminal.
int entryCommand(const std::string &id, const char *path, std::vector<std::string> &command) {
  std::string file = findDesktopEntry(id);
  if (file.empty()) return 0;
  if (iniValue(file, "Desktop Entry", "Hidden") == "true") return 0;
  if (iniValue(file, "Desktop Entry", "Terminal") == "true") return 0;
  std::string exec = iniValue(file, "Desktop Entry", "Exec");
  if (exec.empty()) return 0;
  command = desktopExecWords(exec.c_str(), path);
  return !command.empty();
}

}  // namespace

std::vector<std::string> desktopExecWords(const char *exec, const char *path) {
  std::vector<std::string> words;
  std::string word;
  // inWord: a word has begun; kept: it holds text or quotes, so it stays even
  // when empty (a word made only of dropped field codes goes).
  bool inWord = false, kept = false, quoted = false, usedPath = false;
  const std::string file = path ? path : "";
  for (const char *p = exec ? exec : ""; *p; p++) {
    char c = *p;
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && p[1]) {
        word += *++p;
      } else {
        word += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      if (inWord && kept) words.push_back(word);
      word.clear();
      inWord = kept = false;
      continue;
    }
    inWord = true;
    if (c == '"') {
      quoted = kept = true;
    } else if (c == '%' && p[1]) {
      char code = *++p;
      if (code == '%') {
        word += '%';
        kept = true;
      } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
        word += file;
        usedPath = kept = true;
      }
      // Other field codes (%i, %c, %k and the deprecated ones) are dropped.
    } else {
      word += c;
      kept = true;
    }
  }
  if (inWord && kept) words.push_back(word);
  if (!usedPath && !words.empty()) words.push_back(file);
  return words;
}

int textViewerCommand(const char *path, std::vector<std::string> &command) {
  command.clear();
  const std::string configHome = envOr("XDG_CONFIG_HOME", homeDefault("/.config"));
  const std::string dataHome = envOr("XDG_DATA_HOME", homeDefault("/.local/share"));
  std::vector<std::string> lists;
  lists.push_back(configHome + "/mimeapps.list");
  for (const std::string &d : splitList(envOr("XDG_CONFIG_DIRS", "/etc/xdg"), ':')) lists.push_back(d + "/mimeapps.list");
  lists.push_back(dataHome + "/applications/mimeapps.list");
  for (const std::string &d : splitList(envOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
    lists.push_back(d + "/applications/mimeapps.list");

  for (const char *section : {"Default Applications", "Added Associations"})
    for (const std::string &list : lists)
      for (const std::string &id : splitList(iniValue(list, section, "text/plain"), ';'))
        if (entryCommand(id, path, command)) return 1;
  for (const std::string &dir : applicationFolders())
    for (const std::string &id : splitList(iniValue(dir + "/mimeinfo.cache", "MIME Cache", "text/plain"), ';'))
      if (entryCommand(id, path, command)) return 1;
  command.clear();
  return 0;
}

int savePage(void) {
  if (!hdoc || !mapfilename || !*mapfilename) return 0;
  // The page lock binds only other copies of this program: another program may
  // have changed the page since it was read.
  if (pageStampChanged(mapfilename, &htmlFileStamp)) {
    char text[2048];
    sprintfMax(text, sizeof text,
               "The file %s has been changed by another program since Tilvane read it.\r\n"
               "Do you want to overwrite it with the page as Tilvane has it?",
               mapfilename);
    if (platformMessageBox(nullptr, text, "Page Changed on Disk",
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
      return 0;
  }
  newPageSrcRelative(mapfilename);
  char *data = nullptr;
  size_t size = 0;
  FILE *mem = open_memstream(&data, &size);
  if (!mem) {
    LowMemory();
    return 0;
  }
  // The exact page comes with its own line ends.
  const bool exact = exactPage && htmlSourceComplete(hdoc);
  bool ok = true;
  if (exact)
    ok = clientMapWritePageExact(mem, hdoc, maplocalname, htmlFileCRLF) != 0;
  else
    clientMapWritePage(mem, hdoc, maplocalname);
  if (std::ferror(mem)) ok = false;
  if (std::fclose(mem) != 0) ok = false;
  if (!ok) {
    std::free(data);
    LowMemory();
    return 0;
  }
  char reason[256];
  int saved = pageSaveFile(mapfilename, data, size, exact ? 0 : htmlFileCRLF, &htmlFilePtr, reason, sizeof reason);
  std::free(data);
  if (!saved) {
    char *text = static_cast<char *>(mymallocImpl(16384));
    if (!text) {
      LowMemory();
      return 0;
    }
    // A save in place that could not put the old content back leaves the page
    // changed, its old content in a backup that opening it again offers.
    sprintfMax(text, 16384,
               pageSaveKept[0] ? "Tilvane could not save the file %s:\r\n%s.\r\nThe file on disk may be "
                                 "incomplete; Tilvane offers to restore its old content when the page is "
                                 "opened again."
                               : "Tilvane could not save the file %s:\r\n%s.\r\nThe file on disk has not "
                                 "been changed.",
               mapfilename, reason);
    platformMessageBox(nullptr, text, "Can't Save File", MB_OK | MB_ICONWARNING);
    myfreeImpl(text);
    return 0;
  }
  pageStampTake(htmlFilePtr, &htmlFileStamp);
  newPageSrc = 0;
  changed = 0;
  return 1;
}

int Save(void) {
  // A page without a name (a new page, or one never saved) asks for one.
  if (!mapfilename || !*mapfilename) return SaveAs();
  recentFileAdd(mapfilename);
  // Every save gives up what could still be redone.
  redoPurge();
  undoRestoreGui2();
  return savePage();
}
