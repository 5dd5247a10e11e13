// Measured spectra as multichannel analysers and the programs around them write them: one
// channel per line, either the counts alone or the channel number followed by the counts
// (anything after the second value is ignored), the values separated by blanks, tabs or a
// comma. Lines starting with "#" are comments; blank lines are skipped. Data line k holds
// channel k; the channel numbers written in the file are not used.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "model/run_results.hpp"

namespace dodavev {

class MessageSink;

// A measured spectrum is a few hundred thousand lines at most; larger files (and devices
// or pipes, which may never end) are refused unread.
inline constexpr std::size_t kMaxMeasuredSpectrumBytes = 64U * 1024U * 1024U;

struct MeasuredSpectrumRead {
  bool ok = false;
  std::string error;       // what is wrong and on which line, when not ok
  int channelsInFile = 0;  // data lines of the file
  // Channels 1..min(channelsInFile, kMaxSpectrumChannels) of the file; on failure empty
  // (one channel of 0).
  Spectrum counts{1};
};

// Reads the text of a measured spectrum. Counts must be finite numbers not below zero; a
// line with text, a negative count, a missing value or a column layout other than the
// first data line's refuses the whole text, as does a text without any data line.
MeasuredSpectrumRead ParseMeasuredSpectrumText(std::string_view text);

// "the measured spectrum has 2048 channels; 600 are used: raise the number of channels on
// the Simulation page" when the file holds more channels than `channels`; empty otherwise.
std::string MeasuredChannelsNote(int channelsInFile, int channels);

// Loads the file into `measured` when it reads without a fault, and then shows the note
// above once when the file holds more than `channels` channels. A file that cannot be read
// shows "#" + the error code, a fault of its contents a message naming the file and the
// line; `measured` is then left as it was. Returns true when the spectrum was loaded.
bool LoadMeasuredSpectrum(const std::filesystem::path& name, int channels, Spectrum& measured,
                          MessageSink& messages);

}  // namespace dodavev
