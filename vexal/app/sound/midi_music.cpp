#include "vexal/app/sound/midi_music.h"

namespace vexal {

MidiStateRecord MidiState;  // the one MIDI replay state

int StopMidiMusic() {
  MidiState.MidiReplay = 0;
  return 0;
}

int HandleMciNotify() { return 0; }

}  // namespace vexal
