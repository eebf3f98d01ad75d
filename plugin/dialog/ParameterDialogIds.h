// Control ids of the parameter dialog PARAM_DLG. The resource compiler reads
// this header too, so the ids are plain macros.
#pragma once

#define PARAM_DLG_OK 1
#define PARAM_DLG_CANCEL 2  // reads "Cancel", "Reset" or "Default"
#define PARAM_DLG_LOAD 3
#define PARAM_DLG_SAVE 4
#define PARAM_DLG_PREVIEW 5      // the placeholder that the preview window replaces, same id
#define PARAM_DLG_SHOW_EFFECT 6  // the "Preview" check box
#define PARAM_DLG_ZOOM_OUT 8
#define PARAM_DLG_ZOOM_TEXT 9
#define PARAM_DLG_ZOOM_IN 10

#define PARAM_DLG_SWATCH_SOURCE 300
#define PARAM_DLG_SWATCH_DESTINATION 301

// Row labels of the first three value pairs ("H", "S", "B").
#define PARAM_DLG_LABEL_FIRST 91

// The value pairs: trackbar k and edit k belong together, k = 0..4, and k is
// the parameter index of the pair (3 is the hidden pair with no value).
#define PARAM_DLG_TRACKBAR_FIRST 101
#define PARAM_DLG_EDIT_FIRST 201
#define PARAM_DLG_PAIR_COUNT 5
#define PARAM_DLG_HIDDEN_TRACKBAR 104
#define PARAM_DLG_HIDDEN_EDIT 204

// Read-outs of the colour under the pointer: hue, saturation, brightness.
#define PARAM_DLG_READOUT_INPUT_FIRST 401
#define PARAM_DLG_READOUT_OUTPUT_FIRST 501

// Resources the dialog shows.
#define PARAM_DLG_BANNER_BITMAP 16001
#define PARAM_DLG_ICON 16002
