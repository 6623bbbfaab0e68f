// Export control of the host's C++ API in the shared library vvhost. The
// static library and programs that use either library see no attribute.
#ifndef VEVERAVE_HOST_HOST_API_H_
#define VEVERAVE_HOST_HOST_API_H_

#if defined(VV_HOST_SHARED_BUILD) && defined(_WIN32)
#define VV_HOST_API __declspec(dllexport)
#elif defined(VV_HOST_SHARED_BUILD)
#define VV_HOST_API __attribute__((visibility("default")))
#else
#define VV_HOST_API
#endif

#endif  // VEVERAVE_HOST_HOST_API_H_
