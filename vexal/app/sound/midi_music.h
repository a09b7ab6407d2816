// MIDI music through the media control interface. Nothing opens a MIDI device in this
// program; these keep the replay state consistent for the shut-down and the window.
#pragma once

namespace vexal {

// Clears the replay request. 0.
int StopMidiMusic();
// Answers a media notification; with no MIDI music open it does nothing. 0.
int HandleMciNotify();

struct MidiStateRecord {
  int MidiReplay = 0;  // replay request for looping MIDI music; 0 for the whole run
};
extern MidiStateRecord MidiState;

}  // namespace vexal
