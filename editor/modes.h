// modes.h: the editing state machine of the image window: which tool is active
// and how far the shape under construction has got. Owns state.
#ifndef TILVANE_MODES_H
#define TILVANE_MODES_H

// Values 12, 13, 14, 16 and 17 are reserved and never entered.
enum editState {
  polyPosition = 0,       // polygon tool, waiting for the first vertex
  polyAddpoints = 1,      // vertices placed, a floating vertex follows the pointer
  polyUrl = 2,            // polygon closed, properties dialog open
  circlePosition = 3,
  circleDrag = 4,
  circleUrl = 5,
  rectPosition = 6,
  rectDrag = 7,
  rectUrl = 8,
  magicwandPosition = 9,
  magicwandUrl = 10,
  editing = 11,           // the Test+Edit tool
  moving = 12,
  addpoints = 13,
  removepoints = 14,
  nostate = 15,           // no tool chosen (after start-up and after leaving a tool)
  resizing = 16,
  aligning = 17
};

// The editing state; nostate while no tool is active.
extern int state;

#endif
