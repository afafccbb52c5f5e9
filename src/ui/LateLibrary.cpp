#include "ui/LateLibrary.h"

#include "util/Errors.h"

#include <dlfcn.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TCloseLibrary {
    void operator()(void* aHandle) const { dlclose(aHandle); }
};
using TLibraryHandle = std::unique_ptr<void, TCloseLibrary>;

QString LoaderReason()
{
    const char* reason = dlerror();
    return reason ? QString::fromLocal8Bit(reason) : u"no reason given"_s;
}

} // namespace

const TLateFunctions& LoadLateLibrary(const char* aFileName)
{
    const QString name = QString::fromLocal8Bit(aFileName);
    // Local: the library's own copy of the core binds to itself, never to the program's. dlmopen
    // into the program's own namespace is dlopen, but one that the address sanitizer does not stand
    // in for: its dlopen makes the dynamic linker take it for the caller, whose RUNPATH is not the
    // program's, and the sanitized program would never find its library.
    TLibraryHandle library(dlmopen(LM_ID_BASE, aFileName, RTLD_NOW | RTLD_LOCAL));
    if (!library)
        throw EKestrovaError(u"The chart and print library %1 cannot be loaded: %2"_s.arg(name, LoaderReason()));
    dlerror();
    using TEntry = const TLateFunctions* (*)();
    const auto entry = reinterpret_cast<TEntry>(dlsym(library.get(), LateFunctionsEntry));
    if (!entry)
        throw EKestrovaError(u"The chart and print library %1 cannot be loaded: %2"_s.arg(name, LoaderReason()));
    const TLateFunctions* functions = entry();
    if (!functions || functions->Version != LateFunctionsVersion) {
        const QString found = functions ? QString::number(functions->Version) : u"none"_s;
        throw EKestrovaError(
            u"The chart and print library %1 belongs to another build of Kestrova (version %2, "
            u"this program needs version %3)"_s.arg(name, found, QString::number(LateFunctionsVersion)));
    }
    // Never unloaded: the charts the library makes run its code until the window goes, and an
    // unload at exit would only cost time.
    library.release();
    return *functions;
}

const TLateFunctions& LateLibrary()
{
    // The static is set only by a load that succeeded; one that throws leaves it for the next call.
    static const TLateFunctions& functions = LoadLateLibrary(KESTROVA_LATE_LIBRARY);
    return functions;
}
