#pragma once
// What the editor half keeps in the plug-in instance: the index of every control the engine or the
// commands address (-1 until build_editor attaches it, and for good where there is no editor), the
// text buffer a control shows, and the pen and slider state between two mouse events.

struct EditorState {
  // The input level meter, the receiver of the audio thread's messages (an IDummyControl) and the
  // response plot, redrawn after every design.
  int meter_control = -1;
  int dummy_control = -1;
  int plot_control = -1;

  // The measurement's knock picture and countdown text, shown from "Start" to the end.
  int knock_text = -1;
  int knock_bitmap = -1;
  char knock_text_buf[64] = "";

  // The controls of the host's parameters and their readouts.
  int mode_control = -1;
  int vslider_control = -1;
  int volume_control = -1;
  int note_control = -1;
  int volume_text = -1;
  int note_text = -1;

  // The about panel.
  int about_bitmap = -1;
  int version_text = -1;
  int about_ok_button = -1;

  // Band where the current left-button stroke started; 1000 matches none.
  int previous = 1000;
  // Set by the fader's release: that last position runs the full design instead of a preview.
  int rerun_pending = 0;
  // The input level last handed to the meter control (editor thread).
  double meter_level = 0.0;
};
