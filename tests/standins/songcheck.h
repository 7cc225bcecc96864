// What a receiver of a song copy finds in it, as one log field.
#pragma once
#include <string>

// "song N" for a song file that reads whole (N tracks stored), "damaged" for
// one the reader would refuse, "missing" for a file that cannot be opened.
std::string DescribeSongFile(const std::string& path);

// Copies the file to the path named by ZK_STANDIN_COPY, when set, so a test
// can compare what was received after the receiver has deleted it.
void KeepCopy(const std::string& path);
