// Messages sent to the interface outside its sequencer queue.
#pragma once
#include "linewords.h"

// Sends one System Exclusive message as a line-message block.
void SendBlockMessage(uint8_t selector, const uint8_t* bytes, size_t length);
