// The LHA archives written by the independent jlha library
// (tools/fixtures/make_lha_fixtures.sh), built into the test executable, and the
// generator of their members' contents.
#pragma once

#include <string>

namespace dhtest {

// The bytes of fixture "level0", "level1", "level2" or "long".
std::string LhaFixture(const std::string& name);

// The contents the fixture script stores: mixed text, letter runs and random bytes;
// random letters of a 64-letter alphabet; or three-letter words drawn from sixteen.
enum class LhaContent { kMixed, kRandom, kShortWords };
std::string LhaFixtureContent(int seed, int size, LhaContent kind);

}  // namespace dhtest
