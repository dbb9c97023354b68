// A simulated device in a folder of the test's own, with a connected client.
#pragma once
#include <string>
#include <vector>

#include "maker/devaccess/devaccess.h"
#include "maker/devaccess/devsim.h"
#include "tests/support/test_support.h"

class SimDevice {
public:
    explicit SimDevice(long id) : id_(id) {
        SetEnvironmentVariableA("DA_SIM_DIR", dir_.path().c_str());
        devsim::StoreLock lock;
        devsim::SaveState(id_, devsim::FactoryState());
    }
    ~SimDevice() {
        if (client_) DaUnregisterClient(client_);
        SetEnvironmentVariableA("DA_SIM_DIR", nullptr);
    }
    // Registers, connects and opens the channel; channel is 0 when the device is offline.
    void Connect(long& client, long& channel) {
        client_ = client = DaRegisterClient("SetupWizard", 0);
        DaConnectDevice(client, id_);
        channel = DaOpenObjectChannel(client, 0, 0);
    }
    template <class Change>
    void Modify(Change change) {
        devsim::StoreLock lock;
        devsim::DeviceState s;
        devsim::LoadState(id_, s);
        change(s);
        devsim::SaveState(id_, s);
    }
    devsim::DeviceState State() {
        devsim::StoreLock lock;
        devsim::DeviceState s;
        devsim::LoadState(id_, s);
        return s;
    }
    void SetText(unsigned object, const std::string& bytes) {
        Modify([&](devsim::DeviceState& s) {
            s.objects[object].type = DA_TYPE_TEXT;
            s.objects[object].bytes = bytes;
        });
    }
    void SetInt(unsigned object, long value) {
        Modify([&](devsim::DeviceState& s) {
            int len = devsim::TypeLength(s.objects[object].type);
            s.objects[object].bytes.assign(reinterpret_cast<const char*>(&value), (size_t)len);
        });
    }
    std::vector<std::string> Journal() {
        std::vector<std::string> lines;
        std::string text = devsim::ReadJournal(id_);
        size_t pos = 0, eol;
        while ((eol = text.find("\r\n", pos)) != std::string::npos) {
            lines.push_back(text.substr(pos, eol - pos));
            pos = eol + 2;
        }
        return lines;
    }
    long id() const { return id_; }

private:
    long id_;
    long client_ = 0;
    wiztest::TempDir dir_;
};
