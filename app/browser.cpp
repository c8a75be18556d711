// browser.cpp: addresses and the help page handed to the browser, the service
// socket under the program's name.
#include "app/browser.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/datadir.h"
#include "app/ipc.h"
#include "workflow/profile.h"
#include "platform/strhack.h"
#include "platform/platform.h"

namespace {

// Tells the user to open address by hand: no program took it.
void openManually(void *owner, const char *address) {
  char msg[2048];
  sprintfMax(msg, sizeof msg,
             "You do not have a web browser installed, or your web browser is not installed as "
             "the default web browser of your desktop.\r\n\r\nAccess the following URL directly "
             "with your preferred web browser:\r\n\r\n%s",
             address);
  platformMessageBox(owner, msg, "Open This URL Manually", MB_OK | MB_ICONWARNING);
}

}  // namespace

int AccessURL(void *owner, const char *address) {
  if (!address) address = "";
  // An address with a scheme ("http:", "mailto:") and a local path both go to
  // the desktop's program registered for them.
  if (platform->openAddress(address)) return 1;
  openManually(owner, address);
  return 0;
}

int executableFolder(char *out, int size) {
  if (!out || size <= 0) return 0;
  out[0] = 0;
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return 0;
  exe[n] = 0;
  char *slash = strrchr(exe, '/');
  if (!slash) return 0;
  *slash = 0;
  if (!exe[0]) strcpyMax(exe, sizeof exe, "/");
  if (strlen(exe) >= (size_t)size) return 0;
  strcpyMax(out, size, exe);
  return 1;
}

#ifndef TILVANE_DATA_FROM_BIN
#define TILVANE_DATA_FROM_BIN "../share/tilvane"
#endif

int programFileFolderOf(const char *exeFolder, const char *name, char *out, int size) {
  if (!out || size <= 0) return 0;
  out[0] = 0;
  if (!exeFolder || !*exeFolder) return 0;
  std::string shared = std::string(exeFolder) + "/" + TILVANE_DATA_FROM_BIN;
  char real[4096];
  std::string chosen = exeFolder;
  if (realpath(shared.c_str(), real) && fileIsDirectory(real) &&
      fileExists((std::string(real) + "/" + (name ? name : "")).c_str()))
    chosen = real;
  if (chosen.size() >= (size_t)size) return 0;
  strcpyMax(out, size, chosen.c_str());
  return 1;
}

int programFileFolder(const char *name, char *out, int size) {
  char exe[4096];
  if (!executableFolder(exe, sizeof exe)) {
    if (out && size > 0) out[0] = 0;
    return 0;
  }
  return programFileFolderOf(exe, name, out, size);
}

int htmlFileAddress(const char *relative, char *out, int size) {
  if (!out || size <= 0) return 0;
  out[0] = 0;
  char folder[4096];
  // The folder of the file named before any "#anchor".
  std::string name = relative ? relative : "";
  name = name.substr(0, name.find('#'));
  if (!programFileFolder(name.c_str(), folder, sizeof folder)) return 0;
  // The folder is a file name; characters that would end or change the meaning
  // of a URL (or of the stub's attribute) are percent-encoded.
  std::string a = "file://";
  static const char hex[] = "0123456789ABCDEF";
  for (const unsigned char *p = (const unsigned char *)folder; *p; p++) {
    unsigned char c = *p;
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 strchr("/-._~!$&'()*+,;=:@", c);
    if (plain) {
      a += (char)c;
    } else {
      a += '%';
      a += hex[c >> 4];
      a += hex[c & 15];
    }
  }
  if (a.back() != '/') a += '/';
  for (const char *p = relative ? relative : ""; *p; p++) {
    if (*p == '"' || *p == '<' || *p == '>' || *p == ' ') {
      a += '%';
      a += hex[(unsigned char)*p >> 4];
      a += hex[*p & 15];
    } else {
      a += *p;
    }
  }
  if (a.size() >= (size_t)size) return 0;
  strcpyMax(out, size, a.c_str());
  return 1;
}

int helpStubText(const char *address, char *out, int size) {
  sprintfMax(out, size,
             "<html>\n<head>\n<meta http-equiv=\"refresh\" content=\"0;url=%s\"/>\n</head>\n"
             "<body>\nYou should be redirected momentarily. If not, <a href=\"%s\">click on this "
             "link</a> to navigate to the desired page.\n</body>\n</html>\n",
             address, address);
  return (int)strlen(out);
}

void (*helpWindowHook)(const char *path, const char *anchor) = nullptr;

int htmlFile(void *owner, const char *relative) {
  static const char cannot[] =
      "Unable to create a temporary file. You can still access help.htm in the Tilvane "
      "installation folder manually.";
  char address[2048];
  if (!htmlFileAddress(relative, address, sizeof address)) {
    platformMessageBox(owner, cannot, "Can't Create Temporary File", MB_OK | MB_ICONWARNING);
    return 0;
  }
  char dir[1024], stub[1100];
  applicationGetTempDir(dir, sizeof dir);
  sprintfMax(stub, sizeof stub, "%s/helpstub.htm", dir);
  char text[5000];
  int n = helpStubText(address, text, sizeof text);
  if (!safeWriteFile(stub, text, (size_t)n)) {
    platformMessageBox(owner, cannot, "Can't Create Temporary File", MB_OK | MB_ICONWARNING);
    return 0;
  }
  if (platform->openAddress(stub)) return 1;
  // Without a web browser the page shows in a window of the program's own;
  // without that, the user is given the page's own address.
  const std::string name = std::string(relative ? relative : "").substr(0, std::string(relative ? relative : "").find('#'));
  const char *hash = relative ? std::strchr(relative, '#') : nullptr;
  char folder[4096];
  if (helpWindowHook && programFileFolder(name.c_str(), folder, sizeof folder)) {
    helpWindowHook((std::string(folder) + "/" + name).c_str(), hash ? hash + 1 : "");
    return 1;
  }
  openManually(owner, address);
  return 0;
}

void helpOn(const char *anchor) {
  char relative[300];
  sprintfMax(relative, sizeof relative, "help.htm#%s", anchor ? anchor : "");
  htmlFile(nullptr, relative);
}

void programSocketOpen(void) { ipcServe(theManifest.folderName); }

void programSocketClose(void) { ipcServeClose(); }

int urlBrowseUnavailable(void *owner) {
  platformMessageBox(owner,
                     "This copy of Tilvane was built without its web browser. You can still use "
                     "Tilvane, but the 'browse' button currently requires it. Tilvane creates "
                     "imagemaps that work with all browsers, but the built-in browser is required "
                     "to use the 'browse' button. Enter the URL manually, or copy and paste it.",
                     "Can't Browse Web Pages", MB_OK | MB_ICONWARNING);
  return -1;
}
