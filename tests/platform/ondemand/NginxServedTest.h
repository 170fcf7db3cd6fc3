#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "NginxServer.h"
#include "OnDemandTestHelpers.h"
#include "TempDirectory.h"

// One nginx on loopback for a whole suite; each test serves its packs from a
// folder of its own and fetches into a cache of its own.
class NginxServedTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = std::make_unique<TempDirectory>("larkspire-www");
        try {
            nginx_ = std::make_unique<NginxServer>(root_->path());
        } catch (const std::exception& error) {
            startError_ = error.what();
        }
    }
    static void TearDownTestSuite() {
        nginx_.reset();
        root_.reset();
    }

    void SetUp() override {
        ASSERT_NE(nginx_, nullptr) << "nginx could not be started: " << startError_;
        served_ = root_->path() / testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(served_);
    }

    ContentService::Options options() const {
        return testOptions(nginx_->url() + "/" + served_.filename().string(), cache_.path());
    }

    static inline std::unique_ptr<TempDirectory> root_;
    static inline std::unique_ptr<NginxServer> nginx_;
    static inline std::string startError_;
    std::filesystem::path served_;
    TempDirectory cache_;
};
