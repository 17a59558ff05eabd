#include "import/catalog.h"

#include <stdexcept>

namespace zuna::transfer {
namespace {

// A catalog row as written in the source: the table, the message for a missing file (or the
// master-data script, written "script:NAME"), the log, and the fields separated by blanks. A
// field may carry one mark:
//   name:date         the date rule
//   name:date-nonull  the date rule without its null test
//   name:trim-cut     trimmed and cut to 50 characters
//   name:null-text    a null becomes the text "NULL"
// and "+log" after a date mark writes replaced dates to the entry's anomaly log.
struct Row {
  std::string_view table;
  std::string_view missing;
  AnomalyLog log;
  std::string_view fields;
};

constexpr std::string_view kScriptPrefix = "script:";
constexpr std::string_view kColumnWalk = "*ddo_code";

constexpr Row kFirstPass[] = {
    {"personnel", "Personnel Table Not Found", AnomalyLog::kPersonnel,
     "id_no pay_mon pay_year emp_code emp_name sl_no dept_code estb_code dsgn_code scale_opt "
     "scale_code pers_scale gis_type emp_group basic_pay pf_type date_birth:date-nonull+log "
     "date_join:date-nonull+log date_post:date-nonull+log date_incr:date-nonull+log incr_amt "
     "srv_status depu_stat srv_type spou_stat rsd_status gqtr_code qtr_type sex married religion "
     "address1 address2 pan_no pay_opt bank_code acct_no close_cd corder_no date_close:date+log "
     "corder_dt:date+log user_id opr_date del_emp fin_year pay_taken bill_code bill_no "
     "bill_date:date-nonull+log gis_group date_retr:date-nonull+log handicap date_sec:date+log "
     "v_worker sec_code no_leave pf_code pf_no incr_last bill_type hr_amt gpf_group grade_pay "
     "npa_prcn ma_opt father_nm mother_nm spouse_nm bacct_nm pen_opt dsgn_code1 micr_code "
     "ifsc_code bacct_no ddo_code emp_cat emp_caste post_sanc spl_qlf qlf_code gpf_id"},
    {"department", "Department Table Not Found", AnomalyLog::kNone,
     "dept_code dept_name user_id ddo_code opr_date:date"},
    {"ddo", "DDO Table Not Found", AnomalyLog::kNone, kColumnWalk},
    {"acting", "Acting Table Not Found", AnomalyLog::kNone,
     "dsgn_code pay_mon dept_code estb_code fin_year pay_year post_sanc post_filll remarks"},
    {"cca", "CCA Table Not Found", AnomalyLog::kNone, "cca_sl cca_slb1 cca_slb2 cca_amt"},
    {"gisgrp", "Gisgrp Table Not Found", AnomalyLog::kNone, "gis_code gis_desc"},
    {"page_line", "Page_line Table Not Found", AnomalyLog::kNone, "report line_no"},
    {"residence", "Residence Table Not Found", AnomalyLog::kNone, "resd_code resd_desc"},
    {"establishment", "Establishment Table Not Found", AnomalyLog::kNone,
     "dept_code estb_code estb_name maj_head smaj_head minor_head plan_head schm_head vot_ch "
     "dtl_head user_id opr_date:date rank hd_desc dem_no dept_cd"},
    {"festadv", "Festadv Table Not Found", AnomalyLog::kNone,
     "id_no fst_inst user_id opr_date:date"},
    {"form16", "Form16 Table Not Found", AnomalyLog::kNone,
     "fyear_from fyear_to fin_year empcode gi go t1 t2a tr tc tp t2b t2 t3 t4a t4b t4c t5 t6 "
     "t7a_desc t7a t7b_desc t7b t7c_desc t7c t8 t9 t10a_g t10a t10b_g t10b t10c_g t10c t10d_g "
     "t10d t10e_g t10e t10f_g t10f t10g_g t10g t10h_g t10h t10i_g t10i t10i_desc t10i_q t11_g "
     "t11 t12 t13 t14a_g t14b_g t14c_g t14d_g t14e_g t14f_g t14g_g t14h_g t14i_g t14a t14b t14c "
     "t14d t14e t14f t14g t14h t14i t14i_desc t14i_g1 t14i_q t14j_g t14k_g t14j_desc t14k_desc "
     "t14j_q t14k_q t14j t14k t14x_g t14x t14x_q t14l t14m t15 t16a t16b t16 t17 t18"},
    {"idmax", "Idmax Table Not Found", AnomalyLog::kNone, "maxid"},
    {"income_tax", "Income_tax Table Not Found", AnomalyLog::kNone,
     "fin_year emp_code emp_name sex address pan_no basic_pay dp da hra tpt_all cca ear_oths "
     "ear_misc gross_inc p_tax total_inc int_nsc inc_hp oth_source us_80l us_80ccc us_80d "
     "us_80dd us_80g us_80u ded_oths gpf cgegis lic nsc hba rebint_nsc reb_oths infs_bond "
     "tut_fees us_88c hra_recv exc_rentpa bp_dp50 hra_depo hra_exmp tax_deduct tax_mar tax_apr "
     "tax_may tax_jun tax_jul tax_aug tax_sep tax_oct tax_nov tax_dec tax_jan tax_feb net_tax "
     "cess_rate2 payabl_tax bal_tax"},
    {"installation", "Installation Table Not Found", AnomalyLog::kNone,
     "ddo_code ddo_desg off_name off_add1 off_add2 city_class itax_ward dt_install super_user "
     "super_pass govt_type dbf_type employer_1 employer_2 tan_no itd_1 itd_2"},
    {"loan_type", "Loan_type Table Not Found", AnomalyLog::kNone,
     "loan_code maj_head smaj_head minor_head schm_head dtl_head sdtl_head loan_desc int_rate "
     "remarks user_id opr_date:date abbr col_no code_ord deposit_at agent_name agent_add"},
    {"govt_qtrs", "Govt_qtrs Table Not Found", AnomalyLog::kNone,
     "gqtr_code gqtr_desc maj_head smaj_head minor_head schm_head dtl_head user_id sdtl_head "
     "opr_date:date"},
    {"pf_da_subs", "Pf_da_subs Table Not Found", AnomalyLog::kNone,
     "pay_mon pay_year id_no subs_amt user_id opr_date:date fin_year"},
    {"pf_withdrawl", "Pf_withdrawl Table Not Found", AnomalyLog::kNone,
     "pay_mon pay_year emp_code w_amt remarks fin_year"},
    {"pf_open_bal", "Pf_open_bal Table Not Found", AnomalyLog::kNone, "id_no open_bal fin_year"},
    {"personnel-del", "Personnel-del Table Not Found", AnomalyLog::kNone,
     "id_no emp_code emp_name dept_code estb_code sl_no dsgn_code scale_opt scale_code "
     "pers_scale basic_pay pf_type gis_type emp_group date_birth date_join date_post date_incr "
     "incr_amt srv_status depu_stat srv_type spou_stat rsd_status gqtr_code qtr_type sex married "
     "religion address1 address2 pan_no pay_opt bank_code acct_no close_cd corder_no "
     "date_close:date corder_dt:date user_id opr_date:date"},
    {"pf_arrear", "Pf_arrear Table Not Found", AnomalyLog::kNone,
     "pay_mon pay_year id_no inst_no arrear_amt user_id opr_date:date fin_year"},
    {"recovery", "Recovery Table Not Found", AnomalyLog::kNone,
     "pay_mon pay_year id_no loan_code inst_no recov_amt user_id opr_date:date fin_year "
     "cum_recov"},
    {"recovery_cum", "Recovery_cum Table Not Found", AnomalyLog::kNone,
     "pay_mon pay_year id_no loan_code inst_no recov_camt user_id opr_date:date"},
    {"remsalary", "Remsalary Table Not Found", AnomalyLog::kNone,
     "pay_mon pay_year id_no remarks user_id opr_date:date fin_year"},
    {"pf_arrear_master", "Pf_arrear_master Table Not Found", AnomalyLog::kNone,
     "id_no tot_arrear tot_inst order_no order_dt user_id opr_date:date"},
    {"deduction", "Deduction Table Not Found", AnomalyLog::kNone,
     "pay_mon pay_year id_no deduc_code fin_year deduc_amt if_inst inst_left user_id "
     "opr_date:date"},
};

constexpr Row kSecondPass[] = {
    {"ded_oth_type", "Ded_oth_type Table Not Found", AnomalyLog::kNone,
     "deduc_code deduc_desc abbr code_ord col_no user_id opr_date:date"},
    {"ded_other", "Ded_other Table Not Found", AnomalyLog::kNone,
     "id_no fin_year pay_mon pay_year deduc_code deduc_amt if_inst inst_left policy_no user_id "
     "opr_date:date"},
    {"ecs_bank_account", "Ecs_bank_account Table Not Found", AnomalyLog::kNone,
     "Emp_Code Bank_Emp_C Bank_Emp_N Bank_MICR Bank_Acc"},
    {"ecs_master", "Ecs_master Table Not Found", AnomalyLog::kNone,
     "Spnsr_Bank Spnsr_MICR User_Name User_Acct IFSC_Code"},
    {"fund_balance", "Fund_balance Table Not Found", AnomalyLog::kNone,
     "ddo_code dept_code fin_year maj_head smaj_head minor_head plan_head schm_head vot_chrg "
     "dtl_head blnc_amt user_id opr_date:date"},
    {"fund_other", "Fund_other Table Not Found", AnomalyLog::kNone,
     "remarks bill_date fin_year maj_head smaj_head minor_head plan_head schm_head vot_chrg "
     "dtl_head exp_amt sdtl_head bill_no user_id opr_date:date"},
    {"fund_receipt", "Fund_receipt Table Not Found", AnomalyLog::kNone,
     "ddo_code dept_code fin_year maj_head smaj_head minor_head plan_head schm_head vot_chrg "
     "dtl_head sdtl_head order_no order_date allot_amt user_id opr_date:date"},
    {"section", "Section Table Not Found", AnomalyLog::kNone,
     "dept_code sec_code sec_name user_id opr_date:date"},
    {"spouse", "Spouse Table Not Found", AnomalyLog::kNone,
     "id_no spou_name spou_pay spou_hra user_id opr_date:date"},
    {"user_master", "User_master Table Not Found", AnomalyLog::kNone,
     "user_id passwd user_name remarks dt_creat:date ddo_code"},
};

constexpr Row kThirdPass[] = {
    {"earnings", "Earnings Table Not Found", AnomalyLog::kNone,
     "id_no fin_year pay_mon pay_year pay_amt if_inst inst_left pay_code user_id opr_date:date"},
    {"loan", "Loan Table Not Found", AnomalyLog::kNone,
     "tot_inst id_no loan_code cur_inst cum_recov stat_flag remarks user_id opr_date:date ninst1 "
     "ainst1 ninst2 ainst2 ninst3 ainst3 ninst4 ainst4 ninst5 ainst5 acct_no tot_loan"},
    {"deduction_type", "Deduction_type Table Not Found", AnomalyLog::kNone,
     "deduc_code maj_head smaj_head minor_head schm_head dtl_head sdtl_head deduc_desc user_id "
     "opr_date:date deduc_type abbr col_no code_ord"},
    {"earning_type", "Earning_type Table Not Found", AnomalyLog::kNone,
     "pay_code sdtl_head pay_desc user_id opr_date:date code_ord abbr col_no"},
    {"earnings_part", "Earnings_part Table Not Found", AnomalyLog::kNone,
     "id_no pay_mon pay_year bill_no bill_date:date tot_days pay_code pay_amt_t part_days "
     "pay_amt_e sup_days pay_amt_s user_id opr_date:date fin_year remarks"},
    {"install", "Install Table Not Found", AnomalyLog::kNone,
     "off_name ddo_code ddo_desg address city_class itax_ward super_user super_pass"},
    {"pf_recovery", "Pf_recovery Table Not Found", AnomalyLog::kNone,
     "fin_year pay_mon pay_year id_no inst_no recov_amt user_id opr_date:date"},
    {"pf_subscription", "Pf_subscription Table Not Found", AnomalyLog::kNone,
     "fin_year pay_mon pay_year id_no subs_amt user_id opr_date:date"},
    {"bank", "Bank Table Not Found", AnomalyLog::kNone,
     "bank_code bank_name bank_addr user_id opr_date:date"},
    {"billamt", "Billamt Table Not Found", AnomalyLog::kNone, "recv exp bal"},
    {"bill_type", "Bill_type Table Not Found", AnomalyLog::kNone,
     "bill_code bill_desc user_id opr_date:date"},
    {"designation", "Designation Table Not Found", AnomalyLog::kNone,
     "dsgn_code dsgn_desc:trim-cut user_id opr_date:date rank"},
    {"pay_stop", "Pay_stop Table Not Found", AnomalyLog::kNone,
     "close_cd close_desc user_id opr_date:date"},
    {"pf_loan_purpose", "Pf_loan_purpose Table Not Found", AnomalyLog::kNone,
     "purpose_cd purpose user_id opr_date:date"},
    {"hra_rate_a", "Hra_rate_a Table Not Found", AnomalyLog::kNone,
     "sl_no effect_dt hra_rate1 hra_rate2 max_amt1 max_amt2 hra_rate3 max_amt3 ropa_opt user_id "
     "opr_date:date"},
    {"hra_rate_s", "Hra_rate_s Table Not Found", AnomalyLog::kNone,
     "sl_no effect_dt hra_rate max_amt ropa_opt user_id opr_date:date"},
    {"da_rate_a", "Da_rate_a Table Not Found", AnomalyLog::kNone,
     "sl_no effect_dt da_rate max_amt ropa_opt user_id opr_date:date"},
    {"da_rate_s", "Da_rate_s Table Not Found", AnomalyLog::kNone,
     "sl_no effect_dt da_rate da_pf_rate max_amt ropa_opt user_id opr_date:date"},
    {"payscale", "Payscale Table Not Found", AnomalyLog::kNone,
     "scale_code old_scale new_scale user_id opr_date:date pband_no pband_from pband_to "
     "grade_pay ta"},
    {"payscale_new", "Payscale_new Table Not Found", AnomalyLog::kNone,
     "srv_type ropa_opt scale_code pay_scale pband_no:null-text pband_from pband_to grade_pay ta "
     "ma user_id opr_date:date"},
    {"ptax", "Ptax Table Not Found", AnomalyLog::kNone, "ptax_sl ptax_slb1 ptax_slb2 ptax_amt"},
    {"gis", "GIS Table Not Found", AnomalyLog::kNone, "gis_code gis_desc"},
    {"pftype", "Pftype Table Not Found", AnomalyLog::kNone, "pf_code pf_desc"},
    {"qualification", "script:qualification.sql", AnomalyLog::kNone, "qlf_code qlf_desc"},
    {"gis1987", "Gis1987 Table Not Found", AnomalyLog::kNone, "gis_sl gis_grp gis_ins gis_sav"},
    {"cgegis", "Cgegis Table Not Found", AnomalyLog::kNone, "cgis_sl cgis_grp cgis_ins cgis_sav"},
    {"BranchMaster", "script:branchmaster.sql", AnomalyLog::kNone,
     "micr_name city_code bank_code branch_cod bank_name branch_nam branch_add IFSC_code"},
    {"paybill", "Paybill Table Not Found", AnomalyLog::kPaybill,
     "pay_mon pay_year dept_code estb_code bill_no bill_date:date+log bill_amt cheq_no "
     "cheq_date:date+log vchr_no vchr_date:date+log cash_date:date+log remarks user_id opr_date "
     "fin_year bill_code os_draw"},
    {"form16_0506", "Form16_0506 Table Not Found", AnomalyLog::kNone,
     "fin_year empcode gi go t1 t2a tr tc tp t2b t2c t2c_desc t2 t3 t4a t4b t4c t5 t6 t7a_desc "
     "t7a t7b_desc t7b t7c_desc t7c t8 t9 t11_g t11 t12 t13 t10b t10c t10cc t10d t10e t10f "
     "t10g_g t10g t10h_g t10h t10i_g t10i t10i_desc t10b_g t10c_g t10cc_g t10d_g t10e_g t10f_g "
     "t14a_g t14b_g t14c_g t14d_g t14e_g t14f_g t14g_g t14h_g t14i_g t14a t14b t14c t14d t14e "
     "t14f t14g t14h t14i t14i_desc t14i_g1 t14i_q t14j_g t14k_g t14j_desc t14k_desc t14j_q "
     "t14k_q t14j t14k t141_g t141 t14 t15 t16 t17 t18 t19a t19b t20"},
    {"cghs", "Cghs Table Not Found", AnomalyLog::kNone, "cghs_sl cghs_slb1 cghs_slb2 cghs_amt"},
    {"pf_loan", "Pf_loan Table Not Found", AnomalyLog::kNone,
     "id_no purpose_cd tot_loan tot_inst cur_inst cum_recov stat_flag remarks user_id "
     "opr_date:date ninst1 ainst1 ninst2 ainst2 ninst3 ainst3 ninst4 ainst4"},
};

FieldOperation ParseField(std::string_view token) {
  FieldOperation op;
  const std::size_t colon = token.find(':');
  op.field = std::string(token.substr(0, colon));
  if (colon == std::string_view::npos) return op;
  std::string_view mark = token.substr(colon + 1);
  if (mark.ends_with("+log")) {
    op.logged = true;
    mark.remove_suffix(4);
  }
  if (mark == "date") {
    op.rule = FieldRule::kDateRule;
  } else if (mark == "date-nonull") {
    op.rule = FieldRule::kDateRuleNoNullTest;
  } else if (mark == "trim-cut") {
    op.rule = FieldRule::kTrimAndCut;
  } else if (mark == "null-text") {
    op.rule = FieldRule::kNullAsText;
  } else {
    throw std::logic_error("unknown field mark in the catalog: " + std::string(token));
  }
  return op;
}

std::vector<CatalogEntry> Build(std::span<const Row> rows) {
  std::vector<CatalogEntry> entries;
  for (const Row& row : rows) {
    CatalogEntry entry;
    entry.table = std::string(row.table);
    if (row.missing.starts_with(kScriptPrefix)) {
      entry.master_data_script = std::string(row.missing.substr(kScriptPrefix.size()));
    } else {
      entry.not_found_message = std::string(row.missing);
    }
    entry.select_text = SelectText(row.table);
    entry.log = row.log;
    if (row.fields == kColumnWalk) {
      entry.column_walk = true;
      entry.fields.push_back({"ddo_code", FieldRule::kNullAsEmptyText, false});
    } else {
      std::string_view rest = row.fields;
      while (!rest.empty()) {
        const std::size_t blank = rest.find(' ');
        const std::string_view token = rest.substr(0, blank);
        if (!token.empty()) entry.fields.push_back(ParseField(token));
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
      }
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

std::string SelectText(std::string_view table) {
  std::string text = "select * from ";
  if (table.find('-') != std::string_view::npos) {
    text += "[" + std::string(table) + "]";
  } else {
    text += table;
  }
  return text;
}

std::span<const CatalogEntry> FirstPassCatalog() {
  static const std::vector<CatalogEntry> entries = Build(kFirstPass);
  return entries;
}

std::span<const CatalogEntry> SecondPassCatalog() {
  static const std::vector<CatalogEntry> entries = Build(kSecondPass);
  return entries;
}

std::span<const CatalogEntry> ThirdPassCatalog() {
  static const std::vector<CatalogEntry> entries = Build(kThirdPass);
  return entries;
}

}  // namespace zuna::transfer
