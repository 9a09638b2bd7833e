/* The one name of the driver's service: also its display name, the base name of the driver file
 * and the last part of its registry key. */
#ifndef VELTRIX_DRIVER_SERVICE_NAME_H
#define VELTRIX_DRIVER_SERVICE_NAME_H

#define VTX_SERVICE_NAME "veltrix"
#define VTX_SERVICE_KEY "SYSTEM\\CurrentControlSet\\Services\\" VTX_SERVICE_NAME

#endif
