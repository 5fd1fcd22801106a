#pragma once
// The number columns of a batch call from Python: each a number or a one-dimensional array of
// numbers, the arrays all of one length (the number of cases).

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace twsuite {

using NumberArray =
    pybind11::array_t<double, pybind11::array::c_style | pybind11::array::forcecast>;

// The values of the column `name`: one, or one per case. `cases` is the length of the arrays
// read so far (-1 before the first) and becomes this one's; ValueError for anything that is
// not a number or such an array, or for an array of another length.
inline std::vector<double> batchColumnValues(const std::string& name, const pybind11::handle& item,
                                             pybind11::ssize_t& cases) {
    const auto array = NumberArray::ensure(item);
    if (!array || array.ndim() > 1 || (array.ndim() == 0 && array.size() == 0)) {
        throw pybind11::value_error(name + ": give a number or a one-dimensional array of numbers");
    }
    if (array.ndim() == 1) {
        if (cases >= 0 && array.shape(0) != cases) {
            throw pybind11::value_error(name + " has " + std::to_string(array.shape(0)) +
                                        " cases, another column " + std::to_string(cases));
        }
        cases = array.shape(0);
    }
    return {array.data(), array.data() + array.size()};
}

}  // namespace twsuite
