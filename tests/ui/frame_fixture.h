// frame_fixture.h: the real frame window for each test, on the offscreen
// platform with the scripted dialogs: a picture loaded as a document's, the
// properties dialog answered at once, and mouse and key helpers that send
// events to the image window as a person's hand would.
#ifndef TILVANE_TESTS_FRAME_FIXTURE_H
#define TILVANE_TESTS_FRAME_FIXTURE_H

#include <QPoint>
#include <QString>
#include <Qt>
#include <string>
#include <vector>

class QImage;
class QWidget;

namespace frameFixture {

// Every properties dialog request (the index asked for), and what the next one
// answers: the link to confirm with, or null to leave the dialog open.
extern std::vector<int> urlRequests;
extern const char *urlAnswer;
extern std::vector<int> hints;  // first-time hints asked for

// Makes the windows (frameCreate) and shows the frame.
void setUp();
// Closes the document without asking and tears the windows down.
void tearDown();

// Loads a picture as the open document's (w x h: a grey field with a blue
// square from (100, 100) to (199, 199) when it fits) with an empty map, the
// view laid out at zoom 1, and enables the document commands.
void loadPicture(int w, int h);

// Mouse events on the image view, in its coordinates.
void press(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier);
void move(int x, int y, bool leftHeld, Qt::KeyboardModifiers mods = Qt::NoModifier);
void release(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier);
void click(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier);
void drag(int x1, int y1, int x2, int y2, Qt::KeyboardModifiers mods = Qt::NoModifier);
void doubleClick(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier);
void rightClick(int x, int y);

// A key pressed and released in the image view.
void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString());

// A click on the toolbar button of command id; the posted command is run.
void toolbarClick(unsigned id);
// A menu command chosen from the menu bar.
void menu(unsigned id);
// Runs the posted events.
void settle();

// The toolbar button of id is enabled.
bool buttonEnabled(unsigned id);

// The colour of buffer pixel (x, y) as 0x00BBGGRR.
unsigned pixel(int x, int y);
unsigned rgb(int r, int g, int b);

}  // namespace frameFixture

#endif
