// The control kit's exceptions, each raised with the kit text of its identifier.
#pragma once

#include <cstdint>
#include <string>

#include "OvcSrMgr.h"
#include "SysUtils.h"

class EOvcException : public Exception {
public:
  int32_t ErrorCode = 0;
  using Exception::Exception;
  // The message is the kit text of Ident.
  explicit EOvcException(int32_t Ident) : Exception(OvcKitString(Ident)), ErrorCode(Ident) {}
};

class EControllerError : public EOvcException {
public:
  using EOvcException::EOvcException;
};
class ECmdProcessorError : public EOvcException {
public:
  using EOvcException::EOvcException;
};

// The leaves: raised with no argument, they carry their kit text.
#define YOZ_OVC_EXCEPTION(Name, Base, Ident)             \
  class Name : public Base {                             \
  public:                                                \
    Name() : Base(int32_t(Ident)) {}                     \
    using Base::Base;                                    \
  };
YOZ_OVC_EXCEPTION(ENoTimersAvailable, EOvcException, scNoTimersAvail)
YOZ_OVC_EXCEPTION(ENoControllerAssigned, EControllerError, scNoControllerAssigned)
YOZ_OVC_EXCEPTION(EDuplicateCommand, ECmdProcessorError, scDuplicateCommand)
YOZ_OVC_EXCEPTION(ETableNotFound, ECmdProcessorError, scTableNotFound)
#undef YOZ_OVC_EXCEPTION
