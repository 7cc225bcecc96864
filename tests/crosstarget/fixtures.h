// Fixture files both builds compare their output against: the folder comes
// from ZK_FIXTURE_DIR; with ZK_WRITE_FIXTURES=1 the output is written there
// instead of compared.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Where two images first differ, as a line a person can read ("" when they
// are the same). Text images also name the line and show both lines.
std::string FirstDifference(const std::string& expected, const std::string& got, bool text);

// Compares got with the fixture called name (a failure says where the bytes
// first differ), or writes it there when fixtures are being written.
void CheckFixture(const std::string& name, const std::string& got);

// True when this run writes the fixtures instead of comparing them.
bool WritingFixtures();

std::string AsString(const std::vector<uint8_t>& bytes);
// "3C 64": bytes as upper-case hex separated by blanks.
std::string HexBytes(const uint8_t* bytes, size_t count);
