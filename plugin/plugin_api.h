// Export markers of the module's boundary: the plain metadata functions and the two plugin classes
// leave the module; everything else (the numerical library included) stays hidden.
#pragma once

#if defined(_WIN32)
#if defined(TARVEL_BUILDING_MODULE)
#define TARVEL_API __declspec(dllexport)
#else
#define TARVEL_API __declspec(dllimport)
#endif
#else
#define TARVEL_API __attribute__((visibility("default")))
#endif
