// A module that imports the C runtime's cos. It is never loaded, only read: the Windows image audit must
// name that import, since a module's results may not follow the rounding of the runtime it runs on.
extern "C" __declspec(dllimport) double cos(double);

extern "C" __declspec(dllexport) double call_runtime_cos(double x) { return cos(x); }
