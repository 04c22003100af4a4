#pragma once

// The typed builders: one class per message, each used through its Build operation of the same name.

#include "ipc/protocol_factory.h"

namespace ipc {

class CStartResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CStartResponseProtocolFactory() override;
};

class CStopAlarmResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CStopAlarmResponseProtocolFactory() override;
};

class CSetAccelerateProcessResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CSetAccelerateProcessResponseProtocolFactory() override;
};

class CSetUnclearProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CSetUnclearProcessNameResponseProtocolFactory() override;
};

class CGetLocalDownRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetLocalDownRefluxResponseProtocolFactory() override;
};

class CGetLocalUpRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetLocalUpRefluxResponseProtocolFactory() override;
};

class CGetLocalTotalRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetLocalTotalRefluxResponseProtocolFactory() override;
};

class CGetAccelerateDownRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetAccelerateDownRefluxResponseProtocolFactory() override;
};

class CGetAccelerateUpRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetAccelerateUpRefluxResponseProtocolFactory() override;
};

class CGetAccelerateTotalRefluxResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetAccelerateTotalRefluxResponseProtocolFactory() override;
};

class CGetSuspensionDlgStateResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetSuspensionDlgStateResponseProtocolFactory() override;
};

class CGetProcessDownRefluxByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessDownRefluxByProcessNameResponseProtocolFactory() override;
};

class CGetProcessDownRefluxByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessDownRefluxByPIdResponseProtocolFactory() override;
};

class CGetProcessUpRefluxByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessUpRefluxByProcessNameResponseProtocolFactory() override;
};

class CGetProcessUpRefluxByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessUpRefluxByPIdResponseProtocolFactory() override;
};

class CGetProcessStartTimeByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessStartTimeByProcessNameResponseProtocolFactory() override;
};

class CGetProcessStartTimeByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessStartTimeByPIdResponseProtocolFactory() override;
};

class CGetProcessExitTimeByProcessNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessExitTimeByProcessNameResponseProtocolFactory() override;
};

class CGetProcessExitTimeByPIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessExitTimeByPIdResponseProtocolFactory() override;
};

class CGetProcessTotalTimeResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessTotalTimeResponseProtocolFactory() override;
};

class CGetFirstAccelerateStartTimeResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetFirstAccelerateStartTimeResponseProtocolFactory() override;
};

class CGetLastAccelerateExitTimeResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetLastAccelerateExitTimeResponseProtocolFactory() override;
};

class CGetProcessDownRefluxBetweenTimeByNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessDownRefluxBetweenTimeByNameResponseProtocolFactory() override;
};

class CGetProcessDownRefluxBetweenTimeByIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessDownRefluxBetweenTimeByIdResponseProtocolFactory() override;
};

class CGetProcessUpRefluxBetweenTimeByNameResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessUpRefluxBetweenTimeByNameResponseProtocolFactory() override;
};

class CGetProcessUpRefluxBetweenTimeByIdResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetProcessUpRefluxBetweenTimeByIdResponseProtocolFactory() override;
};

class CGetAlarmStateResponseProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CGetAlarmStateResponseProtocolFactory() override;
};

class CPostLocalDownRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CPostLocalDownRefluxProtocolFactory() override;
};

class CPostLocalUpRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CPostLocalUpRefluxProtocolFactory() override;
};

class CPostAccelerateDownRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CPostAccelerateDownRefluxProtocolFactory() override;
};

class CPostAccelerateUpRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CPostAccelerateUpRefluxProtocolFactory() override;
};

class CPostProcessListRefluxProtocolFactory : public CKvtComProtocolFactory {
  public:
    ~CPostProcessListRefluxProtocolFactory() override;
};

}  // namespace ipc
