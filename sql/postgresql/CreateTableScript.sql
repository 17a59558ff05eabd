-- The tables of the FoxPro payroll data on PostgreSQL, one per catalogued table, with every
-- column the import copies. Generated from the import's catalogs:
-- zuna-sample schema --dialect postgresql. Names are quoted, so they keep their case
-- ("BranchMaster"); a date outside SQL Server's datetime range is refused, as there.
CREATE TABLE "personnel" (
    "id_no" integer,
    "pay_mon" integer,
    "pay_year" integer,
    "emp_code" varchar(10),
    "emp_name" varchar(30),
    "sl_no" integer,
    "dept_code" varchar(4),
    "estb_code" varchar(4),
    "dsgn_code" varchar(4),
    "scale_opt" varchar(1),
    "scale_code" varchar(4),
    "pers_scale" varchar(30),
    "gis_type" varchar(1),
    "emp_group" varchar(1),
    "basic_pay" numeric(10,2),
    "pf_type" varchar(1),
    "date_birth" timestamp(3) CHECK ("date_birth" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "date_join" timestamp(3) CHECK ("date_join" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "date_post" timestamp(3) CHECK ("date_post" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "date_incr" timestamp(3) CHECK ("date_incr" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "incr_amt" numeric(8,2),
    "srv_status" varchar(1),
    "depu_stat" varchar(1),
    "srv_type" varchar(1),
    "spou_stat" varchar(1),
    "rsd_status" varchar(1),
    "gqtr_code" varchar(4),
    "qtr_type" varchar(2),
    "sex" varchar(1),
    "married" varchar(1),
    "religion" varchar(1),
    "address1" varchar(30),
    "address2" varchar(30),
    "pan_no" varchar(10),
    "pay_opt" varchar(1),
    "bank_code" varchar(4),
    "acct_no" varchar(16),
    "close_cd" varchar(2),
    "corder_no" varchar(15),
    "date_close" timestamp(3) CHECK ("date_close" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "corder_dt" timestamp(3) CHECK ("corder_dt" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "del_emp" boolean,
    "fin_year" varchar(9),
    "pay_taken" boolean,
    "bill_code" varchar(4),
    "bill_no" varchar(10),
    "bill_date" timestamp(3) CHECK ("bill_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "gis_group" varchar(1),
    "date_retr" timestamp(3) CHECK ("date_retr" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "handicap" boolean,
    "date_sec" timestamp(3) CHECK ("date_sec" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "v_worker" boolean,
    "sec_code" varchar(4),
    "no_leave" integer,
    "pf_code" varchar(4),
    "pf_no" varchar(15),
    "incr_last" numeric(8,2),
    "bill_type" varchar(2),
    "hr_amt" numeric(8,2),
    "gpf_group" varchar(2),
    "grade_pay" integer,
    "npa_prcn" numeric(5,2),
    "ma_opt" varchar(1),
    "father_nm" varchar(30),
    "mother_nm" varchar(30),
    "spouse_nm" varchar(30),
    "bacct_nm" varchar(30),
    "pen_opt" varchar(1),
    "dsgn_code1" varchar(4),
    "micr_code" varchar(9),
    "ifsc_code" varchar(11),
    "bacct_no" varchar(16),
    "ddo_code" varchar(10),
    "emp_cat" varchar(2),
    "emp_caste" varchar(2),
    "post_sanc" varchar(4),
    "spl_qlf" varchar(20),
    "qlf_code" varchar(4),
    "gpf_id" varchar(15)
);
GO
CREATE TABLE "department" (
    "dept_code" varchar(4),
    "dept_name" varchar(40),
    "user_id" varchar(8),
    "ddo_code" varchar(10),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "ddo" (
    "ddo_code" varchar(10),
    "ddo_desc" varchar(40)
);
GO
CREATE TABLE "acting" (
    "dsgn_code" varchar(4),
    "pay_mon" integer,
    "dept_code" varchar(4),
    "estb_code" varchar(4),
    "fin_year" varchar(9),
    "pay_year" integer,
    "post_sanc" varchar(4),
    "post_filll" varchar(20),
    "remarks" text
);
GO
CREATE TABLE "cca" (
    "cca_sl" integer,
    "cca_slb1" numeric(12,2),
    "cca_slb2" numeric(12,2),
    "cca_amt" numeric(12,2)
);
GO
CREATE TABLE "gisgrp" (
    "gis_code" varchar(10),
    "gis_desc" varchar(40)
);
GO
CREATE TABLE "page_line" (
    "report" varchar(40),
    "line_no" integer
);
GO
CREATE TABLE "residence" (
    "resd_code" varchar(10),
    "resd_desc" varchar(40)
);
GO
CREATE TABLE "establishment" (
    "dept_code" varchar(4),
    "estb_code" varchar(4),
    "estb_name" varchar(40),
    "maj_head" varchar(20),
    "smaj_head" varchar(20),
    "minor_head" varchar(20),
    "plan_head" varchar(20),
    "schm_head" varchar(20),
    "vot_ch" varchar(20),
    "dtl_head" varchar(20),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "rank" integer,
    "hd_desc" varchar(40),
    "dem_no" integer,
    "dept_cd" varchar(10)
);
GO
CREATE TABLE "festadv" (
    "id_no" integer,
    "fst_inst" integer,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "form16" (
    "fyear_from" numeric(12,2),
    "fyear_to" numeric(12,2),
    "fin_year" varchar(9),
    "empcode" varchar(10),
    "gi" numeric(12,2),
    "go" numeric(12,2),
    "t1" numeric(12,2),
    "t2a" numeric(12,2),
    "tr" numeric(12,2),
    "tc" numeric(12,2),
    "tp" numeric(12,2),
    "t2b" numeric(12,2),
    "t2" numeric(12,2),
    "t3" numeric(12,2),
    "t4a" numeric(12,2),
    "t4b" numeric(12,2),
    "t4c" numeric(12,2),
    "t5" numeric(12,2),
    "t6" numeric(12,2),
    "t7a_desc" varchar(40),
    "t7a" numeric(12,2),
    "t7b_desc" varchar(40),
    "t7b" numeric(12,2),
    "t7c_desc" varchar(40),
    "t7c" numeric(12,2),
    "t8" numeric(12,2),
    "t9" numeric(12,2),
    "t10a_g" numeric(12,2),
    "t10a" numeric(12,2),
    "t10b_g" numeric(12,2),
    "t10b" numeric(12,2),
    "t10c_g" numeric(12,2),
    "t10c" numeric(12,2),
    "t10d_g" numeric(12,2),
    "t10d" numeric(12,2),
    "t10e_g" numeric(12,2),
    "t10e" numeric(12,2),
    "t10f_g" numeric(12,2),
    "t10f" numeric(12,2),
    "t10g_g" numeric(12,2),
    "t10g" numeric(12,2),
    "t10h_g" numeric(12,2),
    "t10h" numeric(12,2),
    "t10i_g" numeric(12,2),
    "t10i" numeric(12,2),
    "t10i_desc" varchar(40),
    "t10i_q" numeric(12,2),
    "t11_g" numeric(12,2),
    "t11" numeric(12,2),
    "t12" numeric(12,2),
    "t13" numeric(12,2),
    "t14a_g" numeric(12,2),
    "t14b_g" numeric(12,2),
    "t14c_g" numeric(12,2),
    "t14d_g" numeric(12,2),
    "t14e_g" numeric(12,2),
    "t14f_g" numeric(12,2),
    "t14g_g" numeric(12,2),
    "t14h_g" numeric(12,2),
    "t14i_g" numeric(12,2),
    "t14a" numeric(12,2),
    "t14b" numeric(12,2),
    "t14c" numeric(12,2),
    "t14d" numeric(12,2),
    "t14e" numeric(12,2),
    "t14f" numeric(12,2),
    "t14g" numeric(12,2),
    "t14h" numeric(12,2),
    "t14i" numeric(12,2),
    "t14i_desc" varchar(40),
    "t14i_g1" numeric(12,2),
    "t14i_q" numeric(12,2),
    "t14j_g" numeric(12,2),
    "t14k_g" numeric(12,2),
    "t14j_desc" varchar(40),
    "t14k_desc" varchar(40),
    "t14j_q" numeric(12,2),
    "t14k_q" numeric(12,2),
    "t14j" numeric(12,2),
    "t14k" numeric(12,2),
    "t14x_g" numeric(12,2),
    "t14x" numeric(12,2),
    "t14x_q" numeric(12,2),
    "t14l" numeric(12,2),
    "t14m" numeric(12,2),
    "t15" numeric(12,2),
    "t16a" numeric(12,2),
    "t16b" numeric(12,2),
    "t16" numeric(12,2),
    "t17" numeric(12,2),
    "t18" numeric(12,2)
);
GO
CREATE TABLE "idmax" (
    "maxid" integer
);
GO
CREATE TABLE "income_tax" (
    "fin_year" varchar(9),
    "emp_code" varchar(10),
    "emp_name" varchar(30),
    "sex" varchar(1),
    "address" varchar(40),
    "pan_no" varchar(10),
    "basic_pay" numeric(10,2),
    "dp" numeric(12,2),
    "da" numeric(12,2),
    "hra" numeric(12,2),
    "tpt_all" varchar(20),
    "cca" numeric(12,2),
    "ear_oths" numeric(12,2),
    "ear_misc" numeric(12,2),
    "gross_inc" numeric(12,2),
    "p_tax" numeric(12,2),
    "total_inc" numeric(12,2),
    "int_nsc" numeric(12,2),
    "inc_hp" numeric(12,2),
    "oth_source" numeric(12,2),
    "us_80l" numeric(12,2),
    "us_80ccc" numeric(12,2),
    "us_80d" numeric(12,2),
    "us_80dd" numeric(12,2),
    "us_80g" numeric(12,2),
    "us_80u" numeric(12,2),
    "ded_oths" numeric(12,2),
    "gpf" numeric(12,2),
    "cgegis" numeric(12,2),
    "lic" numeric(12,2),
    "nsc" numeric(12,2),
    "hba" numeric(12,2),
    "rebint_nsc" numeric(12,2),
    "reb_oths" numeric(12,2),
    "infs_bond" numeric(12,2),
    "tut_fees" numeric(12,2),
    "us_88c" numeric(12,2),
    "hra_recv" numeric(12,2),
    "exc_rentpa" numeric(12,2),
    "bp_dp50" numeric(12,2),
    "hra_depo" numeric(12,2),
    "hra_exmp" numeric(12,2),
    "tax_deduct" numeric(12,2),
    "tax_mar" numeric(12,2),
    "tax_apr" numeric(12,2),
    "tax_may" numeric(12,2),
    "tax_jun" numeric(12,2),
    "tax_jul" numeric(12,2),
    "tax_aug" numeric(12,2),
    "tax_sep" numeric(12,2),
    "tax_oct" numeric(12,2),
    "tax_nov" numeric(12,2),
    "tax_dec" numeric(12,2),
    "tax_jan" numeric(12,2),
    "tax_feb" numeric(12,2),
    "net_tax" numeric(12,2),
    "cess_rate2" numeric(12,2),
    "payabl_tax" numeric(12,2),
    "bal_tax" numeric(12,2)
);
GO
CREATE TABLE "installation" (
    "ddo_code" varchar(10),
    "ddo_desg" varchar(20),
    "off_name" varchar(40),
    "off_add1" varchar(20),
    "off_add2" varchar(20),
    "city_class" varchar(20),
    "itax_ward" varchar(20),
    "dt_install" timestamp(3) CHECK ("dt_install" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "super_user" varchar(20),
    "super_pass" varchar(20),
    "govt_type" varchar(20),
    "dbf_type" varchar(20),
    "employer_1" varchar(20),
    "employer_2" varchar(20),
    "tan_no" varchar(20),
    "itd_1" varchar(20),
    "itd_2" varchar(20)
);
GO
CREATE TABLE "loan_type" (
    "loan_code" varchar(10),
    "maj_head" varchar(20),
    "smaj_head" varchar(20),
    "minor_head" varchar(20),
    "schm_head" varchar(20),
    "dtl_head" varchar(20),
    "sdtl_head" varchar(20),
    "loan_desc" varchar(40),
    "int_rate" numeric(12,2),
    "remarks" text,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "abbr" varchar(20),
    "col_no" integer,
    "code_ord" integer,
    "deposit_at" varchar(20),
    "agent_name" varchar(40),
    "agent_add" varchar(40)
);
GO
CREATE TABLE "govt_qtrs" (
    "gqtr_code" varchar(4),
    "gqtr_desc" varchar(40),
    "maj_head" varchar(20),
    "smaj_head" varchar(20),
    "minor_head" varchar(20),
    "schm_head" varchar(20),
    "dtl_head" varchar(20),
    "user_id" varchar(8),
    "sdtl_head" varchar(20),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "pf_da_subs" (
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "subs_amt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "fin_year" varchar(9)
);
GO
CREATE TABLE "pf_withdrawl" (
    "pay_mon" integer,
    "pay_year" integer,
    "emp_code" varchar(10),
    "w_amt" numeric(12,2),
    "remarks" text,
    "fin_year" varchar(9)
);
GO
CREATE TABLE "pf_open_bal" (
    "id_no" integer,
    "open_bal" numeric(12,2),
    "fin_year" varchar(9)
);
GO
CREATE TABLE "personnel-del" (
    "id_no" integer,
    "emp_code" varchar(10),
    "emp_name" varchar(30),
    "dept_code" varchar(4),
    "estb_code" varchar(4),
    "sl_no" integer,
    "dsgn_code" varchar(4),
    "scale_opt" varchar(1),
    "scale_code" varchar(4),
    "pers_scale" varchar(30),
    "basic_pay" numeric(10,2),
    "pf_type" varchar(1),
    "gis_type" varchar(1),
    "emp_group" varchar(1),
    "date_birth" timestamp(3) CHECK ("date_birth" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "date_join" timestamp(3) CHECK ("date_join" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "date_post" timestamp(3) CHECK ("date_post" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "date_incr" timestamp(3) CHECK ("date_incr" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "incr_amt" numeric(8,2),
    "srv_status" varchar(1),
    "depu_stat" varchar(1),
    "srv_type" varchar(1),
    "spou_stat" varchar(1),
    "rsd_status" varchar(1),
    "gqtr_code" varchar(4),
    "qtr_type" varchar(2),
    "sex" varchar(1),
    "married" varchar(1),
    "religion" varchar(1),
    "address1" varchar(30),
    "address2" varchar(30),
    "pan_no" varchar(10),
    "pay_opt" varchar(1),
    "bank_code" varchar(4),
    "acct_no" varchar(16),
    "close_cd" varchar(2),
    "corder_no" varchar(15),
    "date_close" timestamp(3) CHECK ("date_close" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "corder_dt" timestamp(3) CHECK ("corder_dt" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "pf_arrear" (
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "inst_no" integer,
    "arrear_amt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "fin_year" varchar(9)
);
GO
CREATE TABLE "recovery" (
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "loan_code" varchar(10),
    "inst_no" integer,
    "recov_amt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "fin_year" varchar(9),
    "cum_recov" numeric(12,2)
);
GO
CREATE TABLE "recovery_cum" (
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "loan_code" varchar(10),
    "inst_no" integer,
    "recov_camt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "remsalary" (
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "remarks" text,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "fin_year" varchar(9)
);
GO
CREATE TABLE "pf_arrear_master" (
    "id_no" integer,
    "tot_arrear" numeric(12,2),
    "tot_inst" integer,
    "order_no" varchar(20),
    "order_dt" timestamp(3) CHECK ("order_dt" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "deduction" (
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "deduc_code" varchar(10),
    "fin_year" varchar(9),
    "deduc_amt" numeric(12,2),
    "if_inst" integer,
    "inst_left" integer,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "ded_oth_type" (
    "deduc_code" varchar(10),
    "deduc_desc" varchar(40),
    "abbr" varchar(20),
    "code_ord" integer,
    "col_no" integer,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "ded_other" (
    "id_no" integer,
    "fin_year" varchar(9),
    "pay_mon" integer,
    "pay_year" integer,
    "deduc_code" varchar(10),
    "deduc_amt" numeric(12,2),
    "if_inst" integer,
    "inst_left" integer,
    "policy_no" varchar(20),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "ecs_bank_account" (
    "Emp_Code" varchar(10),
    "Bank_Emp_C" varchar(20),
    "Bank_Emp_N" varchar(40),
    "Bank_MICR" varchar(20),
    "Bank_Acc" varchar(20)
);
GO
CREATE TABLE "ecs_master" (
    "Spnsr_Bank" varchar(20),
    "Spnsr_MICR" varchar(20),
    "User_Name" varchar(40),
    "User_Acct" varchar(20),
    "IFSC_Code" varchar(11)
);
GO
CREATE TABLE "fund_balance" (
    "ddo_code" varchar(10),
    "dept_code" varchar(4),
    "fin_year" varchar(9),
    "maj_head" varchar(20),
    "smaj_head" varchar(20),
    "minor_head" varchar(20),
    "plan_head" varchar(20),
    "schm_head" varchar(20),
    "vot_chrg" varchar(20),
    "dtl_head" varchar(20),
    "blnc_amt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "fund_other" (
    "remarks" text,
    "bill_date" timestamp(3) CHECK ("bill_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "fin_year" varchar(9),
    "maj_head" varchar(20),
    "smaj_head" varchar(20),
    "minor_head" varchar(20),
    "plan_head" varchar(20),
    "schm_head" varchar(20),
    "vot_chrg" varchar(20),
    "dtl_head" varchar(20),
    "exp_amt" numeric(12,2),
    "sdtl_head" varchar(20),
    "bill_no" varchar(10),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "fund_receipt" (
    "ddo_code" varchar(10),
    "dept_code" varchar(4),
    "fin_year" varchar(9),
    "maj_head" varchar(20),
    "smaj_head" varchar(20),
    "minor_head" varchar(20),
    "plan_head" varchar(20),
    "schm_head" varchar(20),
    "vot_chrg" varchar(20),
    "dtl_head" varchar(20),
    "sdtl_head" varchar(20),
    "order_no" varchar(20),
    "order_date" timestamp(3) CHECK ("order_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "allot_amt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "section" (
    "dept_code" varchar(4),
    "sec_code" varchar(4),
    "sec_name" varchar(40),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "spouse" (
    "id_no" integer,
    "spou_name" varchar(40),
    "spou_pay" numeric(12,2),
    "spou_hra" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "user_master" (
    "user_id" varchar(8),
    "passwd" varchar(20),
    "user_name" varchar(40),
    "remarks" text,
    "dt_creat" timestamp(3) CHECK ("dt_creat" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "ddo_code" varchar(10)
);
GO
CREATE TABLE "earnings" (
    "id_no" integer,
    "fin_year" varchar(9),
    "pay_mon" integer,
    "pay_year" integer,
    "pay_amt" numeric(12,2),
    "if_inst" integer,
    "inst_left" integer,
    "pay_code" varchar(10),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "loan" (
    "tot_inst" integer,
    "id_no" integer,
    "loan_code" varchar(10),
    "cur_inst" integer,
    "cum_recov" numeric(12,2),
    "stat_flag" varchar(20),
    "remarks" text,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "ninst1" integer,
    "ainst1" numeric(12,2),
    "ninst2" integer,
    "ainst2" numeric(12,2),
    "ninst3" integer,
    "ainst3" numeric(12,2),
    "ninst4" integer,
    "ainst4" numeric(12,2),
    "ninst5" integer,
    "ainst5" numeric(12,2),
    "acct_no" varchar(16),
    "tot_loan" numeric(12,2)
);
GO
CREATE TABLE "deduction_type" (
    "deduc_code" varchar(10),
    "maj_head" varchar(20),
    "smaj_head" varchar(20),
    "minor_head" varchar(20),
    "schm_head" varchar(20),
    "dtl_head" varchar(20),
    "sdtl_head" varchar(20),
    "deduc_desc" varchar(40),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "deduc_type" varchar(20),
    "abbr" varchar(20),
    "col_no" integer,
    "code_ord" integer
);
GO
CREATE TABLE "earning_type" (
    "pay_code" varchar(10),
    "sdtl_head" varchar(20),
    "pay_desc" varchar(40),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "code_ord" integer,
    "abbr" varchar(20),
    "col_no" integer
);
GO
CREATE TABLE "earnings_part" (
    "id_no" integer,
    "pay_mon" integer,
    "pay_year" integer,
    "bill_no" varchar(10),
    "bill_date" timestamp(3) CHECK ("bill_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "tot_days" integer,
    "pay_code" varchar(10),
    "pay_amt_t" numeric(12,2),
    "part_days" integer,
    "pay_amt_e" numeric(12,2),
    "sup_days" integer,
    "pay_amt_s" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "fin_year" varchar(9),
    "remarks" text
);
GO
CREATE TABLE "install" (
    "off_name" varchar(40),
    "ddo_code" varchar(10),
    "ddo_desg" varchar(20),
    "address" varchar(40),
    "city_class" varchar(20),
    "itax_ward" varchar(20),
    "super_user" varchar(20),
    "super_pass" varchar(20)
);
GO
CREATE TABLE "pf_recovery" (
    "fin_year" varchar(9),
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "inst_no" integer,
    "recov_amt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "pf_subscription" (
    "fin_year" varchar(9),
    "pay_mon" integer,
    "pay_year" integer,
    "id_no" integer,
    "subs_amt" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "bank" (
    "bank_code" varchar(4),
    "bank_name" varchar(40),
    "bank_addr" varchar(40),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "billamt" (
    "recv" numeric(12,2),
    "exp" numeric(12,2),
    "bal" numeric(12,2)
);
GO
CREATE TABLE "bill_type" (
    "bill_code" varchar(4),
    "bill_desc" varchar(40),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "designation" (
    "dsgn_code" varchar(4),
    "dsgn_desc" varchar(60),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "rank" integer
);
GO
CREATE TABLE "pay_stop" (
    "close_cd" varchar(2),
    "close_desc" varchar(40),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "pf_loan_purpose" (
    "purpose_cd" varchar(10),
    "purpose" varchar(40),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "hra_rate_a" (
    "sl_no" integer,
    "effect_dt" timestamp(3) CHECK ("effect_dt" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "hra_rate1" numeric(12,2),
    "hra_rate2" numeric(12,2),
    "max_amt1" numeric(12,2),
    "max_amt2" numeric(12,2),
    "hra_rate3" numeric(12,2),
    "max_amt3" numeric(12,2),
    "ropa_opt" varchar(20),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "hra_rate_s" (
    "sl_no" integer,
    "effect_dt" timestamp(3) CHECK ("effect_dt" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "hra_rate" numeric(12,2),
    "max_amt" numeric(12,2),
    "ropa_opt" varchar(20),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "da_rate_a" (
    "sl_no" integer,
    "effect_dt" timestamp(3) CHECK ("effect_dt" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "da_rate" numeric(12,2),
    "max_amt" numeric(12,2),
    "ropa_opt" varchar(20),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "da_rate_s" (
    "sl_no" integer,
    "effect_dt" timestamp(3) CHECK ("effect_dt" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "da_rate" numeric(12,2),
    "da_pf_rate" numeric(12,2),
    "max_amt" numeric(12,2),
    "ropa_opt" varchar(20),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "payscale" (
    "scale_code" varchar(4),
    "old_scale" varchar(20),
    "new_scale" varchar(20),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "pband_no" varchar(20),
    "pband_from" numeric(12,2),
    "pband_to" numeric(12,2),
    "grade_pay" integer,
    "ta" numeric(12,2)
);
GO
CREATE TABLE "payscale_new" (
    "srv_type" varchar(1),
    "ropa_opt" varchar(20),
    "scale_code" varchar(4),
    "pay_scale" numeric(12,2),
    "pband_no" varchar(20),
    "pband_from" numeric(12,2),
    "pband_to" numeric(12,2),
    "grade_pay" integer,
    "ta" numeric(12,2),
    "ma" numeric(12,2),
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999')
);
GO
CREATE TABLE "ptax" (
    "ptax_sl" integer,
    "ptax_slb1" numeric(12,2),
    "ptax_slb2" numeric(12,2),
    "ptax_amt" numeric(12,2)
);
GO
CREATE TABLE "gis" (
    "gis_code" varchar(10),
    "gis_desc" varchar(40)
);
GO
CREATE TABLE "pftype" (
    "pf_code" varchar(4),
    "pf_desc" varchar(40)
);
GO
CREATE TABLE "qualification" (
    "qlf_code" varchar(4),
    "qlf_desc" varchar(40)
);
GO
CREATE TABLE "gis1987" (
    "gis_sl" integer,
    "gis_grp" integer,
    "gis_ins" numeric(12,2),
    "gis_sav" numeric(12,2)
);
GO
CREATE TABLE "cgegis" (
    "cgis_sl" integer,
    "cgis_grp" integer,
    "cgis_ins" numeric(12,2),
    "cgis_sav" numeric(12,2)
);
GO
CREATE TABLE "BranchMaster" (
    "micr_name" varchar(40),
    "city_code" varchar(10),
    "bank_code" varchar(4),
    "branch_cod" varchar(10),
    "bank_name" varchar(40),
    "branch_nam" varchar(40),
    "branch_add" varchar(40),
    "IFSC_code" varchar(11)
);
GO
CREATE TABLE "paybill" (
    "pay_mon" integer,
    "pay_year" integer,
    "dept_code" varchar(4),
    "estb_code" varchar(4),
    "bill_no" varchar(10),
    "bill_date" timestamp(3) CHECK ("bill_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "bill_amt" numeric(12,2),
    "cheq_no" varchar(20),
    "cheq_date" timestamp(3) CHECK ("cheq_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "vchr_no" varchar(20),
    "vchr_date" timestamp(3) CHECK ("vchr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "cash_date" timestamp(3) CHECK ("cash_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "remarks" text,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "fin_year" varchar(9),
    "bill_code" varchar(4),
    "os_draw" numeric(12,2)
);
GO
CREATE TABLE "form16_0506" (
    "fin_year" varchar(9),
    "empcode" varchar(10),
    "gi" numeric(12,2),
    "go" numeric(12,2),
    "t1" numeric(12,2),
    "t2a" numeric(12,2),
    "tr" numeric(12,2),
    "tc" numeric(12,2),
    "tp" numeric(12,2),
    "t2b" numeric(12,2),
    "t2c" numeric(12,2),
    "t2c_desc" varchar(40),
    "t2" numeric(12,2),
    "t3" numeric(12,2),
    "t4a" numeric(12,2),
    "t4b" numeric(12,2),
    "t4c" numeric(12,2),
    "t5" numeric(12,2),
    "t6" numeric(12,2),
    "t7a_desc" varchar(40),
    "t7a" numeric(12,2),
    "t7b_desc" varchar(40),
    "t7b" numeric(12,2),
    "t7c_desc" varchar(40),
    "t7c" numeric(12,2),
    "t8" numeric(12,2),
    "t9" numeric(12,2),
    "t11_g" numeric(12,2),
    "t11" numeric(12,2),
    "t12" numeric(12,2),
    "t13" numeric(12,2),
    "t10b" numeric(12,2),
    "t10c" numeric(12,2),
    "t10cc" numeric(12,2),
    "t10d" numeric(12,2),
    "t10e" numeric(12,2),
    "t10f" numeric(12,2),
    "t10g_g" numeric(12,2),
    "t10g" numeric(12,2),
    "t10h_g" numeric(12,2),
    "t10h" numeric(12,2),
    "t10i_g" numeric(12,2),
    "t10i" numeric(12,2),
    "t10i_desc" varchar(40),
    "t10b_g" numeric(12,2),
    "t10c_g" numeric(12,2),
    "t10cc_g" numeric(12,2),
    "t10d_g" numeric(12,2),
    "t10e_g" numeric(12,2),
    "t10f_g" numeric(12,2),
    "t14a_g" numeric(12,2),
    "t14b_g" numeric(12,2),
    "t14c_g" numeric(12,2),
    "t14d_g" numeric(12,2),
    "t14e_g" numeric(12,2),
    "t14f_g" numeric(12,2),
    "t14g_g" numeric(12,2),
    "t14h_g" numeric(12,2),
    "t14i_g" numeric(12,2),
    "t14a" numeric(12,2),
    "t14b" numeric(12,2),
    "t14c" numeric(12,2),
    "t14d" numeric(12,2),
    "t14e" numeric(12,2),
    "t14f" numeric(12,2),
    "t14g" numeric(12,2),
    "t14h" numeric(12,2),
    "t14i" numeric(12,2),
    "t14i_desc" varchar(40),
    "t14i_g1" numeric(12,2),
    "t14i_q" numeric(12,2),
    "t14j_g" numeric(12,2),
    "t14k_g" numeric(12,2),
    "t14j_desc" varchar(40),
    "t14k_desc" varchar(40),
    "t14j_q" numeric(12,2),
    "t14k_q" numeric(12,2),
    "t14j" numeric(12,2),
    "t14k" numeric(12,2),
    "t141_g" numeric(12,2),
    "t141" numeric(12,2),
    "t14" numeric(12,2),
    "t15" numeric(12,2),
    "t16" numeric(12,2),
    "t17" numeric(12,2),
    "t18" numeric(12,2),
    "t19a" numeric(12,2),
    "t19b" numeric(12,2),
    "t20" numeric(12,2)
);
GO
CREATE TABLE "cghs" (
    "cghs_sl" integer,
    "cghs_slb1" numeric(12,2),
    "cghs_slb2" numeric(12,2),
    "cghs_amt" numeric(12,2)
);
GO
CREATE TABLE "pf_loan" (
    "id_no" integer,
    "purpose_cd" varchar(10),
    "tot_loan" numeric(12,2),
    "tot_inst" integer,
    "cur_inst" integer,
    "cum_recov" numeric(12,2),
    "stat_flag" varchar(20),
    "remarks" text,
    "user_id" varchar(8),
    "opr_date" timestamp(3) CHECK ("opr_date" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999'),
    "ninst1" integer,
    "ainst1" numeric(12,2),
    "ninst2" integer,
    "ainst2" numeric(12,2),
    "ninst3" integer,
    "ainst3" numeric(12,2),
    "ninst4" integer,
    "ainst4" numeric(12,2)
);
GO
