#pragma once
// The gas properties batch of the Python module (gas_properties_batch and its column names).

#include <pybind11/pybind11.h>

#include <mutex>

// Adds the batch to the module; `libraryLock` is the module's one lock around the library's
// process-wide language and message sink.
void addGasPropertiesBatch(pybind11::module_& m, std::mutex& libraryLock);
