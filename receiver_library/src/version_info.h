// The library's version data, for its version resource.
#pragma once

#define VARNUSB_VERSION 0, 0, 1, 0
#define VARNUSB_VERSION_TEXT "0.0.1.0"
#define VARNUSB_INTERNAL_NAME "VarnPlug-USB DLL"
#define VARNUSB_FILE_NAME "VarnUSB.dll"
#define VARNUSB_PRODUCT_NAME "Remote Control"
#define VARNUSB_DESCRIPTION "Functions with driver VarnPlug.sys"
