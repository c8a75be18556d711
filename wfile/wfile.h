// wfile.h: one buffered stream type over a URL or plain file name, and the URL
// model: parsing, resolution against a base, and rebuilding. Errors come back as
// -1 (or null for an open) with an English sentence in wfileInfo.error; nothing
// here talks to the user. Owns wfileDefaultProtocol, wfileUserAgent,
// wfileOpenCount, wfileMimeMap and the proxy and mail settings.
#ifndef TILVANE_WFILE_H
#define TILVANE_WFILE_H

#include <cstdio>

#include <sys/types.h>

enum wfileType {
  wfileLocal = 0,
  wfileHttp = 1,
  wfileFtp = 2,
  wfileMailto = 3,
  wfileNull = 4,
  wfileInternal = 5,
  wfileUnknown = 6
};

enum wfileMethod { wfileGet = 0, wfilePost = 1, wfileHead = 2 };

enum { wfileBufferSize = 16384 };

struct wfileFormEntry;  // form data of remote requests; not used by this program

// A parsed address and the last error. Owned by the caller, zeroed before use.
struct wfileInfo {
  int t;                      // protocol type after parsing (wfileType)
  int method;                 // wfileMethod
  int isDirectory;
  char name[256];             // user name from the URL's user part
  char password[256];
  int noproxy;                // set for mailto: and null:
  char error[1024];           // last error sentence
  char base[1024];            // URL a relative URL is resolved against; empty = current folder
  char completeUrl[1024];     // the canonical absolute URL
  char path[1024];            // the path (a local file name for file: URLs)
  char site[1024];            // host name; empty without a host
  char protocol[1024];        // protocol name as written
  int port;                   // 80, 21, or the given port
  int contentLength, contentLengthValid;
  double lastModified;
  int lastModifiedValid;
  double date;
  int dateValid;
  double ifModifiedSince;
  int ifModifiedSinceValid;
  char contentType[1024];     // media type (for local files from the file name)
  char anchor[1024];          // the fragment after '#'
  char target[1024];
  int refreshValid;
  char refresh[1024];
  int refreshTimeout;
  int threadId;
  int eof;                    // end of data was reached
  int cancelPtrValid;
  int *cancelFlagPtr;
  int timeLimit, timeLimitRead;
  // The request environment of an internal: stream's handler; not set here.
  char *cgiServerSoftware, *cgiServerName, *cgiGatewayInterface, *cgiServerProtocol,
      *cgiServerPort, *cgiRequestMethod, *cgiPathInfo, *cgiPathTranslated, *cgiScriptName,
      *cgiQueryString, *cgiRemoteHost, *cgiRemoteAddr, *cgiAuthType, *cgiRemoteUser,
      *cgiRemoteIdent, *cgiContentType, *cgiAccept, *cgiUserAgent, *cgiReferrer, *cgiCookie;
  int cgiRestored;
  void *cgiFormEntryFirst;
  int cgiAND, cgiEQ, cgiESC;
  int cgiFindTarget, cgiFindPos;
  int cgiContentLength;
  wfileFormEntry *first;
  int gzipEncoding, nonblocking;
  char *host;
  int hostPort;
  int startAtHomeFlag;
  int resultCode;
  int openComplete;
  char home[1024];
  int retry;                  // retry a failing local open (up to 10 times, 25 ms apart)
};

struct wfileStruct;
typedef wfileStruct wfile;

// Transport functions: (stream, handle, buffer, length) -> bytes, 0 when nothing
// is available yet, -1 for end or error.
typedef int (*wfileTransportFn)(wfileStruct *wf, void *handle, char *buffer, int length);

// An open stream; created by wfileOpen, freed by wfileClose.
struct wfileStruct {
  int cs, s;                  // control and data sockets of remote protocols (-1 = none)
  int t, isDirectory;
  int fd;                     // local file descriptor (-1 = none)
  void *dir;                  // open directory handle
  char rdirItem[1024];
  int rdirPos;
  wfileInfo *infoPtr;         // the caller's info record
  char inputBuffer[wfileBufferSize];
  char outputBuffer[wfileBufferSize];
  char redirectUrl[1024];
  int bufferPos, bufferLen;   // read position and fill of inputBuffer
  int outputBufferLen;
  off_t pos;                  // stream position, advanced by reads
  int httpHeaderLength;
  int csPos;
  int unget;                  // one pushed-back byte, -1 when none
  wfileTransportFn readData;
  void *readDataFrom;
  wfileTransportFn writeData;
  void *writeDataTo;
  char *readAheadBuffer;
  int readAheadSpace, readAheadReadPos, readAheadWritePos;
  int errorPending;           // the transport reported end or error, not returned yet
  int depth;                  // fetches made for this stream
  long long start;            // time of the open, seconds
  void *internalInput, *internalOutput, *internalPeer;
  int closed;
  int ftpOpenSucceeded;
  int openState;
};

// Media type by file extension (compared without regard to case), ended by a
// null extension.
struct wfileMimeEntry {
  const char *extension;
  const char *type;
};

extern int wfileDefaultProtocol;        // protocol assumed for a URL without one; 0 = local
extern char wfileUserAgent[17];         // "4.05 for Windows"
extern int wfileOpenCount;              // streams open
extern const wfileMimeEntry wfileMimeMap[];
extern int wfileProxyServerFlag;
extern char wfileProxyServerHost[256];
extern int wfileProxyServerPort;        // 8080
extern char wfileProxyUsername[256];
extern char wfileProxyPassword[256];
extern char wfileMailServer[256];
extern char wfileMailFrom[256];

// A local file opens as a stream only when it is a regular file: the open does
// not wait (a pipe or device never blocks it), and anything else is refused
// with the error "Not a regular file".
wfileStruct *wfileOpen(const char *url, const char *mode, wfileInfo *infoPtr);
int wfileClose(wfileStruct *wf);
int wfilePreClose(wfileStruct *wf);
int wfileParseUrl(const char *url, wfileInfo *wfi);
void wfileFormatCompleteUrl(wfileInfo *wfi);
int wfileRead(wfileStruct *wf, char *buffer, int amount);
int wfileReadPartial(wfileStruct *wf, char *buffer, int amount);
int wfileReadWrapper(void *context, char *buffer, int amount);
int wfileGetC(wfileStruct *wf);
void wfileUnGetC(wfileStruct *wf, int c);
int wfileReadLine(wfileStruct *in, char *s, int space);
wfileInfo *wfileGetInfo(wfileStruct *wf);
int urlHasProtocol(const char *s);
int isRootedPath(const char *s);

// Opens a local file with the open flags given (O_CLOEXEC is added) when it
// is a regular file, without waiting for a pipe or device: the file is opened
// with O_NONBLOCK, checked, and then made blocking again. -1 otherwise, with
// errno set; *notRegular (when given) is set when the file exists but is not a
// regular file. wfileOpenRegularStream does the same for reading ("rb").
int wfileOpenRegular(const char *path, int flags, int *notRegular);
FILE *wfileOpenRegularStream(const char *path, int *notRegular);

// Opens a stream over bytes in memory (not copied; they must outlive the
// stream). Used by tests, fuzz targets and the command-line companion to feed
// the decoders without a file.
wfileStruct *wfileOpenMemory(const void *bytes, int length, wfileInfo *infoPtr);

#endif
