#pragma once
// The number columns of a batch call from Python: each a number or a one-dimensional array of
// numbers, the arrays all of one length (the number of cases).

#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
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

// Turns for other Python threads during a long loop that makes Python objects, and so holds the
// interpreter lock throughout. The interpreter hands the lock over between the steps of Python
// code once another thread has waited for it a switch interval; a function written in Python,
// called now and then, is such a step. Releasing and taking the lock again would not do: the
// loop takes it back before a waiting thread wakes, and that thread goes on waiting.
class InterpreterTurns {
  public:
    // After `done` items: every few thousand, the step.
    void operator()(std::size_t done) {
        if (done % kItemsBetweenTurns != kItemsBetweenTurns - 1) return;
        if (!step_) step_ = pybind11::eval("lambda: None", pybind11::dict());
        step_();
    }

  private:
    static constexpr std::size_t kItemsBetweenTurns = 8192;  // a few milliseconds of objects
    pybind11::object step_;
};

}  // namespace twsuite
