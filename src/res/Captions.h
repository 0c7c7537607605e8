// The captions of the program's message boxes, shared by every layer: "警告" for errors
// and fatal conditions, "確認" for information and questions, "Err" for resource failures.
#pragma once

constexpr char kCaptionWarning[] = "警告";
constexpr char kCaptionConfirm[] = "確認";
constexpr char kCaptionResourceError[] = "Err";
