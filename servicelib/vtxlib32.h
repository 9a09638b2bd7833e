/* The exports of vtxlib32.dll, for the programs that install and uninstall Veltrix. Each takes no
 * arguments and returns an int, non-zero for success; each opens the service manager with all
 * access, so the caller needs administrative rights. Exported by name and by ordinal. */
#ifndef VELTRIX_VTXLIB32_H
#define VELTRIX_VTXLIB32_H

#ifdef __cplusplus
extern "C" {
#endif

/* The type of every export, for callers that resolve them with GetProcAddress. */
typedef int (*VTXSERVICEPROC)(void);

int vtxCreate(void);    /* 1: creates the service, group "FSFilter Activity Monitor"; 0 when
                           created now, 1 when it already existed */
int vtxStart(void);     /* 2: non-zero when the service is running at return */
int vtxStop(void);      /* 3: non-zero when this call stopped the service */
int vtxIsStarted(void); /* 4: 1 when the service reports running */
int vtxIsStopped(void); /* 5: 1 when the service reports stopped */
int vtxDelete(void);    /* 6: non-zero when the service was marked for deletion */
int vtxCreate2k(void);  /* 7: as vtxCreate, group "filter" */

#ifdef __cplusplus
}
#endif

#endif
