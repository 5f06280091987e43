#pragma once
#include <vector>
// The arithmetic that turns SAPI's rate, volume and pitch adjustments into
// the numbers a synthesis request carries. Portable: no Windows API.

namespace Orvane::sapi {

struct rate_and_speed {
    int rate;     // the legacy engine's rate parameter, -100..100
    float speed;  // time-stretch factor applied to the captured audio
};

// Total speed 2^(sum/8) for sum = fragment + site rate clamped to -10..10:
// the legacy engine's rate carries it alone for -8..8, the stretch the rest.
rate_and_speed compute_rate(long fragment_rate_adj, long site_rate);

// Site term plus fragment term, each (volume - 100) * 0.5 truncated toward
// zero (0 for 100, -50 for 0): -100..0 for volumes in 0..100.
int compute_volume(unsigned short site_volume, unsigned long fragment_volume);

// Pitch for a voice's base pitch and SAPI's middle adjustment (-25..25
// maps to 45..400 Hz around the base).
int compute_pitch(int base_pitch, long middle_adj);

// A bookmark's numeric value: a leading decimal number as std::stol reads
// it (white space, sign, digits), 0 when there is none or it does not fit
// in 32 bits.
int bookmark_value(const wchar_t* text, unsigned long length);

struct word_span {
    unsigned long offset;  // in UTF-16 units from the start of the fragment
    unsigned long length;
};

// Words of a fragment: maximal runs of alphanumeric characters (iswalnum),
// apostrophes and hyphen-minus signs.
std::vector<word_span> scan_words(const wchar_t* text, unsigned long length);

}  // namespace Orvane::sapi
