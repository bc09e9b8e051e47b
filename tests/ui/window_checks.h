// Checks shared by the window tests.
#pragma once

namespace ormel::test {

// Fails the current test when a top-level window is still alive after its
// pending deletions have run, and destroys what was left so that the next
// test starts clean. Call it from a test class's cleanup().
void VerifyNoWindowLeft();

}  // namespace ormel::test
