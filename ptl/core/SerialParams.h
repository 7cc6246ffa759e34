// Serial parameter codes: command-line texts to codes and codes to display names.
#pragma once

namespace ptl {

// The decimal integer at the start of text, after optional blanks and sign, as the C library's atoi
// reads it, but saturating instead of overflowing; 0 when there are no digits.
int leadingInt(const char *text);

// Each returns the code, or -1 for a null or unaccepted text.
int parseBaudRate(const char *text);
int parseByteSize(const char *text);
int parseParity(const char *text);
int parseStopBits(const char *text);
int parseFlow(const char *text);

// Each returns the display name of a code, or an empty text for a code without one.
const char *baudRateName(int rate);
const char *byteSizeName(int bits);
const char *parityName(int parity);
const char *stopBitsName(int stop);
const char *flowName(int flow);

} // namespace ptl
