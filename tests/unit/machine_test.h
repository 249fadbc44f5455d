// Base fixture: a fresh fake machine and a zeroed connection record for every test.
#pragma once

#include "connection/connection.h"
#include "tests/fakewin/fake_machine.h"

#include <gtest/gtest.h>

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::ResetMachine();
        *AccessConnection(nullptr) = PrinterConnection{}; // as at process start
    }
    void TearDown() override { fake::ResetMachine(); }

    static PrinterConnection& Connection() { return *AccessConnection(nullptr); }
};
