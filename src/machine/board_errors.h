// The board's error word and the texts shown for it. Bit 0 is an X motor
// failure, bit 1 a stitch controller error, bit 2 a Y motor failure.
#pragma once

#include <cstdint>
#include <string>

// Texts of the error words 0 to 7.
extern const char* const errors[8];

// The message for an error word met with a 0xFE status: -1 (word unreadable),
// 0 (error cleared), 1..7 (the table), anything else (unknown, with the value).
std::string ErrorWordMessage(int32_t errorWord);

// Shows ErrorWordMessage in an error window with an OK button. Called wherever
// a status check meets 0xFE (streaming, run control, the board console).
void ShowErrorWord(int32_t errorWord);
