#include "alarm/alarm_thread.h"

#include <array>

#include "alarm/settings.h"

namespace alarming {

CAlarmThread* CAlarmThread::GetInstance() {
    static CAlarmThread instance;
    return &instance;
}

CAlarmThread::CAlarmThread() : CAlarmThread(ProcessAlarmHistory(), ProcessWhiteList(), AlarmPopupWindow()) {}

CAlarmThread::CAlarmThread(AlarmHistory& history, const WhiteList& whiteList, IAlarmPopupWindow& window)
    : history_(history), whiteList_(whiteList), window_(window), directory_(std::u16string_view()) {}

CAlarmThread::~CAlarmThread() {
    for (auto& popup : popups_) {
        popup->Join(base::WorkerThread::kShutdownWaitMs);
    }
}

int CAlarmThread::Init(IAlarmEngine* engine, base::Event& quitEvent) {
    return Init(engine, quitEvent, ProgramDirectory());
}

int CAlarmThread::Init(IAlarmEngine* engine, base::Event& quitEvent, const ProgramDirectory& directory) {
    // Let go of earlier events first: a name still held would hand back the old event and its state.
    yuZhiChange_.reset();
    waitChild_.reset();
    auto yuZhiChange = std::make_unique<base::Event>(base::EventReset::kManual, false, kYuZhiChangeEventName);
    auto waitChild =
        std::make_shared<base::Event>(base::EventReset::kAutomatic, false, kWaitChildThreadEventName);
    if (!yuZhiChange->IsValid() || !waitChild->IsValid()) {
        lastError_ = yuZhiChange->IsValid() ? waitChild->LastError() : yuZhiChange->LastError();
        return 0;
    }
    yuZhiChange_ = std::move(yuZhiChange);
    waitChild_ = std::move(waitChild);
    quitEvent_ = &quitEvent;
    engine_ = engine;
    directory_ = directory;

    AlarmConfig config;
    if (LoadConfig(config, directory_, kAlarmConfigName) == 0) {
        return 0;
    }
    SetThresholds(config);
    return engine_ == nullptr ? 0 : 1;
}

void CAlarmThread::LoadAndSetThresholds() {
    AlarmConfig config;
    LoadConfig(config, directory_, kAlarmConfigName);
    SetThresholds(config);
}

void CAlarmThread::SetThresholds(const AlarmConfig& config) {
    {
        std::lock_guard<std::mutex> lock(configMutex_);
        config_ = config;
    }
    if (engine_ != nullptr) {
        // The volumes are sign-extended from the 32-bit fields, as the file may hold negative numbers.
        engine_->SetThresholds(static_cast<std::uint64_t>(static_cast<std::int64_t>(config.DownLoadReFlux)),
                               static_cast<std::uint64_t>(static_cast<std::int64_t>(config.UpLoadReFlux)),
                               static_cast<std::uint32_t>(config.DownLoadSpeed),
                               static_cast<std::uint32_t>(config.UpLoadSpeed), config.Percentage, 1);
    }
}

AlarmConfig CAlarmThread::Config() const {
    std::lock_guard<std::mutex> lock(configMutex_);
    return config_;
}

std::uint32_t CAlarmThread::Run() {
    if (quitEvent_ == nullptr || !yuZhiChange_) {
        return 0;
    }
    // The quit event comes first: when both are signalled, quitting wins.
    const std::array<base::Event*, 2> events{quitEvent_, yuZhiChange_.get()};
    try {
        for (;;) {
            const int signalled = base::Event::WaitAny(events, kAlarmWaitMs);
            if (signalled == 0) {
                if (engine_ != nullptr) {
                    engine_->Stop();
                }
                return 0;
            }
            if (signalled == 1) {
                LoadAndSetThresholds();
                yuZhiChange_->Reset();
            } else if (signalled == base::Event::kTimedOut && engine_ != nullptr) {
                engine_->UpdateStatistics();
            }
        }
    } catch (...) {
        // Every worker ends with this one.
        quitEvent_->Set();
    }
    return 0;
}

std::uint32_t AlarmThreadProc(CAlarmThread* alarmThread) {
    return alarmThread == nullptr ? 0 : alarmThread->Run();
}

}  // namespace alarming
