#pragma once
#define IDD_FRAMEWORK_TEST 900
#define IDC_TEST_EDIT 901
#define IDC_TEST_BUTTON 902
