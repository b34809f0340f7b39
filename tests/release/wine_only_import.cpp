// A module that imports __chkstk from kernel32.dll, which Wine's kernel32 exports and Windows' has
// not since 2003. It is never loaded, only read: the Windows image audit must name that import.
extern "C" __declspec(dllimport) void __chkstk();

extern "C" __declspec(dllexport) void call_wine_only_export() { __chkstk(); }
