// The terminate handler of the shipped programs, in place of the toolchain's default one.
//
// The default handler writes the uncaught exception's type to standard error, which a GUI
// program does not have, and then calls abort(), which in a GUI program shows the C runtime's
// "abnormal program termination" box: at start-up or in session 0 nobody clicks it, and the
// process never ends. This one ends the process at once, with abort()'s status 3. Defining it
// here also keeps the default handler and the name demangler it uses (about 50 KB) out of
// the executable.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::_Exit(3); }

}  // namespace __gnu_cxx
