// Names of the 32 key signatures (KeyIndex).
#pragma once

// "Music Key C MAJOR     " and so on: 22 characters; nullptr outside 0-31.
const char* KeyIndexName(int keyIndex);
