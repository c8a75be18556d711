// about_ui.h: the About box: the given text on a green vertical gradient, a
// button to the product's home page and "Close Window". Owns aboutText,
// aboutW, aboutH, aboutFont.
#ifndef TILVANE_ABOUT_UI_H
#define TILVANE_ABOUT_UI_H

class QDialog;
class QFont;
class QWidget;

extern char aboutText[1024];  // the text shown, cut to 1023 bytes
extern int aboutW, aboutH;    // the text area: client width, client height minus 40
extern QFont *aboutFont;      // 16-pixel sans serif, made when the box opens

// Shows the About box with text, modally, owned by owner (a QWidget or null).
void about(void *owner, const char *text);

// The About box, made but not shown (the caller runs and deletes it); about()
// is this followed by exec().
QDialog *aboutCreate(QWidget *owner, const char *text);

// The help page, or another page of the program's own, at its anchor in a
// window of the program's own: used when no web browser takes it.
void helpWindowShow(const char *path, const char *anchor);

// The colour of row i of a gradient h rows high: red 192, green
// 255 - 64 * i / h, blue 192, as 0xRRGGBB; rows from 500 on are not painted
// (returns -1), nor is anything when h is not positive.
int aboutGradientColor(int i, int h);

#endif
