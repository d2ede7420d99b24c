#pragma once

// The two texts the program keeps as cipher text under the text key: the
// main window's caption and, after a login, the message boxes' title.
namespace stored_texts {
inline constexpr const char* kCaptionCipher = "67B2C9276A4084F766F4805427BB2E0D";
inline constexpr const char* kAppTitleCipher = "67B2C9276A4084F7EF5CF494D3F515EE";
} // namespace stored_texts
