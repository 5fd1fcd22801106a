#pragma once
#include <QtCore/qglobal.h>

#if defined(TWRTFOUTPUT_LIBRARY)
#define TWRTFOUTPUT_EXPORT Q_DECL_EXPORT
#else
#define TWRTFOUTPUT_EXPORT Q_DECL_IMPORT
#endif
