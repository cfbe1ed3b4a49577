#pragma once
// Helpers shared by the analysis tests.

#include "foundation/KvErrors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

namespace kvtest {

// The unbounded calculation range.
inline constexpr double Lo = -1.7e308, Hi = 1.7e308;

// Ten points on the line y = 2x + 1, x from 0 in steps of 0.5.
struct TLineData {
    std::vector<double> X, Y;
    TLineData()
    {
        for (int i = 0; i < 10; ++i) {
            X.push_back(i * 0.5);
            Y.push_back(2 * X.back() + 1);
        }
    }
};


// The kinds of math error a case expects; Any accepts EMathError itself.
enum class TFault { None, NotEnoughData, ZeroDivide, InvalidOp, Overflow, Message };

inline const char* FaultText(TFault F)
{
    switch (F) {
    case TFault::NotEnoughData: return "Not enough data!";
    case TFault::ZeroDivide: return "Floating point division by zero";
    case TFault::InvalidOp: return "Invalid floating point operation";
    case TFault::Overflow: return "Floating point overflow";
    default: return "";
    }
}

// Runs Fn and checks that it raises the expected fault with its exact
// message (for TFault::Message: an EMathError with Message), or nothing.
inline ::testing::AssertionResult RaisesFault(const std::function<void()>& Fn, TFault Expected,
                                              const std::string& Message = {})
{
    try {
        Fn();
    } catch (const kv::EZeroDivide& E) {
        if (Expected == TFault::ZeroDivide && E.what() == std::string(FaultText(Expected)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "EZeroDivide: " << E.what();
    } catch (const kv::EInvalidOp& E) {
        if (Expected == TFault::InvalidOp && E.what() == std::string(FaultText(Expected)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "EInvalidOp: " << E.what();
    } catch (const kv::EOverflow& E) {
        if (Expected == TFault::Overflow && E.what() == std::string(FaultText(Expected)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "EOverflow: " << E.what();
    } catch (const kv::EMathError& E) {
        if (Expected == TFault::NotEnoughData && E.what() == std::string(FaultText(Expected)))
            return ::testing::AssertionSuccess();
        if (Expected == TFault::Message && E.what() == Message)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "EMathError: " << E.what();
    } catch (const std::exception& E) {
        return ::testing::AssertionFailure() << typeid(E).name() << ": " << E.what();
    }
    if (Expected == TFault::None)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no exception, expected " << FaultText(Expected) << Message;
}

} // namespace kvtest
