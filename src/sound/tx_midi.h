#pragma once
// TX_Midi: the background music, one MIDI file at a time, driven through the
// sequencer's textual commands under the alias "Midi". While MusicOff is set
// nothing new starts, but stopping always works.

#include <string>
#include <vector>

#include "platform/types.h"

namespace sound {

// Starts fileName (a bare name in the current directory) from its beginning, unless the music is off.
void PlayMidi(const std::string& fileName);
// Stops the music and closes the device, whether the music is on or off.
void StopMidi();
// True while the device reports that it is playing.
platform::Boolean MidiIsPlaying();
// When the music is on and has run out, starts MidiFile again.
void KeepMidiPlaying();
// Makes the synthesizer in the background, so that the first tune starts at once when
// it is played. Whether the music is on or off.
void PrepareMidi();

}  // namespace sound
