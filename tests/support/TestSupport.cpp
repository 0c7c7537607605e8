// Shared test helpers live beside this file; this unit keeps the library non-empty.
namespace dhtest {
int supportLinked = 1;
}
