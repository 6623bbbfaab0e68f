/* veverave: calling convention shared by the driver, its host and the Btrieve call. */
#ifndef VEVERAVE_ABI_H_
#define VEVERAVE_ABI_H_

/* Exported functions, host services and the Btrieve call use the standard
 * calling convention of Windows exported functions on 32-bit Windows
 * (arguments pushed right to left, removed by the callee) and the platform's
 * default convention everywhere else. */
#if defined(_WIN32) && !defined(_WIN64)
#define VV_CALL __stdcall
#else
#define VV_CALL
#endif

#endif /* VEVERAVE_ABI_H_ */
